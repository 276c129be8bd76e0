// Scheduling data of the demo database: tasks in every status, their work log,
// a busy calendar around today and a handful of notes.

#include "tools/mkdb/dbwriter.h"
#include "tools/mkdb/demodata.h"

#include <QVariant>

#include <algorithm>

namespace mkdb {

namespace {

QString u8(const char *text) { return QString::fromUtf8(text); }

constexpr int None = -1;
constexpr int AnyCustomer = -2;       // calendar templates: a customer drawn at random

// Indexes into the demo master data (see demomaster.cpp).
enum Customer {
    Asvany, Bukki, Csillag, Dunamenti, Eden, Fehervari, Godolloi, Hajdu, Ilona, Jaszsagi, Korosi,
    Lanchid, Matra, Nyirsegi, Obudai, Orsegi, Pannon, Rabaparti, Somogyi, Tiszavirag, Urberi, Ugyes,
    Vertes, Zoldliget, HutoKlima
};
enum Product {
    KonyvKettos, KonyvEgyszeres, Beszamolo, Berszamfejtes, Bejelentes, Afa, Szja, AdoEllenorzes,
    UgyvitelLicenc, Szamlazo, Virusvedelem, Laptop, Nyomtato, Szunetmentes, Oradij, Karbantartas,
    Adatmentes, Halozat, Kiszallas
};
enum Project { Irodakoltozes, Ugyvitel, EvesZaras, Webaruhaz, Gdpr, Szerverterem, BerAtvetel, Penztargep };

struct TaskData
{
    int customer, product, project;
    int status, priority;
    const char *title, *text, *file;
};

const TaskData kTasks[] = {
    {Asvany, Afa, None, 0, 2, "Havi ÁFA-bevallás beküldése",
     "A bejövő számlák egy része még hiányzik, Fodor Zsuzsannától bekérni.\r\nBeküldés az ÁNYK-ban.", ""},
    {Asvany, KonyvKettos, None, 1, 1, "Bankkivonatok könyvelése",
     "Az előző havi bankkivonatok és pénztárbizonylatok rögzítése.", ""},
    {Bukki, Berszamfejtes, None, 1, 2, "Havi bérszámfejtés",
     "14 fő, két új belépő a hónap közepén.\r\nTúlórák a jelenléti ívek alapján.", ""},
    {Bukki, Bejelentes, None, 0, 1, "Új munkavállaló bejelentése",
     "Pék szakmunkás, belépés a hónap elsejével.", ""},
    {Csillag, Szamlazo, Ugyvitel, 1, 3, "Számlázóprogram telepítése",
     "Telepítés a szerviz két gépére, NAV Online Számla kapcsolat beállítása.", ""},
    {Csillag, None, Ugyvitel, 0, 2, "Cikktörzs átvétele Excelből",
     "A régi alkatrészlistát át kell alakítani az importhoz:\r\ncikkszám, megnevezés, egységár.", ""},
    {Csillag, None, Ugyvitel, 0, 1, "Munkatársak oktatása", "Két alkalom, délelőtt 9-től.", ""},
    {Dunamenti, Halozat, Irodakoltozes, 1, 3, "Tűzfal beállítása az új irodában",
     "VPN a régi telephely felé, a vendég-wifi külön hálózaton.", ""},
    {Dunamenti, Nyomtato, Irodakoltozes, 0, 1, "Nyomtatók áthelyezése", "Három hálózati nyomtató, új IP-címekkel.", ""},
    {Dunamenti, None, Irodakoltozes, 2, 2, "Kábelezési terv jóváhagyatása",
     "Nagy Gábor jóváhagyta, a villanyszerelő megkapta.", ""},
    {Dunamenti, Berszamfejtes, BerAtvetel, 2, 1, "Bérszámfejtési adatok átvétele",
     "A korábbi bérszámfejtőtől a törzsadatok és a tárgyévi kumulált adatok átvétele.", ""},
    {Eden, KonyvEgyszeres, None, 0, 0, "Nyitó tételek rögzítése", "Az év eleji nyitás a tavalyi zárás alapján.", ""},
    {Fehervari, Oradij, None, 1, 1, "Lassú a diszpécsergép",
     "Sipos Henrietta jelezte: induláskor percekig tölt.\r\nValószínűleg a merevlemez hibás.", ""},
    {Fehervari, KonyvKettos, None, 0, 1, "Üzemanyagszámlák egyeztetése",
     "A kártyás tankolások kivonata nem egyezik a számlákkal.", ""},
    {Godolloi, Szja, None, 3, 0, "Tulajdonos szja-bevallása",
     "Visszautasítva: a bevallást idén a család könyvelője készíti.", ""},
    {Hajdu, AdoEllenorzes, None, 1, 3, "Adóellenőrzés: iratok összeállítása",
     "Az ellenőrzés az elmúlt két év ÁFA-ját érinti.\r\nSzerződések, teljesítésigazolások másolata.", ""},
    {Hajdu, None, None, 0, 2, "Támogatási igazolások beszerzése", "A területalapú támogatás igényléséhez.", ""},
    {Ilona, Virusvedelem, None, 2, 0, "Vírusvédelem megújítása", "Két gép, egy évre.", ""},
    {Jaszsagi, Karbantartas, None, 0, 1, "Negyedéves karbantartás",
     "Frissítések, mentések visszaállítási próbája, naplók átnézése.", ""},
    {Korosi, Laptop, None, 0, 2, "Ajánlat: három laptop",
     "Balogh Judit kérte; a tervezőknek nagy felbontású kijelző kell.",
     "/home/iroda/Dokumentumok/Ajánlatok/korosi_laptop_ajanlat.pdf"},
    {Lanchid, UgyvitelLicenc, None, 0, 3, "Foglalási rendszer licencének megújítása",
     "12 munkaállomás, a licenc a hónap végén lejár.", ""},
    {Lanchid, None, Szerverterem, 2, 1, "Klímakarbantartási szerződés", "Félévente tisztítás és ellenőrzés.", ""},
    {Matra, None, Penztargep, 2, 1, "Pénztárgépek NAV-bejelentése", "Három egység, a régiek kivonása.", ""},
    {Nyirsegi, Beszamolo, EvesZaras, 1, 2, "Beszámoló előkészítése",
     "Leltár, értékvesztés, céltartalék a szövetkezet vezetésével egyeztetve.", ""},
    {Obudai, None, Gdpr, 1, 3, "Adatkezelési tájékoztató átdolgozása",
     "A betegfelvételi lap és a honlap tájékoztatója is.", ""},
    {Obudai, Adatmentes, Gdpr, 0, 2, "Mentések titkosítása", "A felhőbe menő mentések titkosítása saját kulccsal.", ""},
    {Pannon, UgyvitelLicenc, None, 0, 1, "Viszonteladói megrendelés: öt licenc", "", ""},
    {Rabaparti, Karbantartas, None, 3, 1, "Saját szerver kiváltása felhővel",
     "Visszautasítva: az iroda a saját szervernél marad.", ""},
    {Somogyi, None, Webaruhaz, 1, 2, "Webáruház termékfotói", "Negyven bor fotója, egységes háttérrel.", ""},
    {Somogyi, Szamlazo, Webaruhaz, 0, 1, "Számlázó és webáruház összekötése", "", ""},
    {Tiszavirag, Afa, None, 0, 0, "Idegenforgalmi adó bevallása", "Az önkormányzat felé, a vendégéjszakák alapján.", ""},
    {Urberi, KonyvEgyszeres, None, 2, 0, "Fakitermelési napló egyeztetése", "", ""},
    {Ugyes, Oradij, None, 0, 1, "Új munkaállomás beüzemelése",
     "Fiókok átköltöztetése a régi gépről, nyomtató beállítása.",
     "/home/iroda/Dokumentumok/Munkalapok/ugyeskezek_munkalap.pdf"},
    {Vertes, Szunetmentes, None, 0, 2, "Szünetmentes tápegység cseréje", "Az akkumulátor kapacitása 40% alá esett.", ""},
    {Zoldliget, Berszamfejtes, None, 1, 1, "Béremelés átvezetése", "Az óvodapedagógusok illetményemelése visszamenőleg.", ""},
    {HutoKlima, None, None, 0, 0, "Ajánlatkérés könyvelésre",
     "Új ügyfél: egyéni vállalkozásból alakult Bt.\r\nElső egyeztetés telefonon.", ""},
    {None, None, EvesZaras, 0, 2, "Beszámolók határidő-naptára", "Minden ügyfél letétbe helyezési határideje.", ""},
    {None, None, None, 0, 1, "Nyomtatópatronok rendelése", "Két fekete, egy-egy színes.", ""},
    {None, Adatmentes, None, 2, 0, "Saját adatmentés ellenőrzése", "Visszaállítási próba a tartalék gépen.", ""},
};

// Deadlines of open tasks, in days from today: some overdue, several this week.
const int kOpenDeadlines[] = {0, 1, -3, 2, 5, -1, 7, 10, 3, 14, 0, 21, 4, -6, 6, 9, 12, 2, 28, 1, 8, -2};

struct WorkData
{
    const char *title, *text;
};

const WorkData kWork[] = {
    {"Egyeztetés telefonon", "A részleteket az ügyféllel telefonon egyeztettük."},
    {"Adatok bekérése", "A hiányzó anyagokat e-mailben kértük be."},
    {"Helyszíni munka", "Két óra az ügyfél irodájában."},
    {"Dokumentáció", "Az elvégzett lépések leírása az ügyfél mappájába."},
    {"Ellenőrzés", "Az eredményt átnéztük, eltérés nem volt."},
    {"Távoli segítségnyújtás", "Távoli asztalon keresztül, kb. 40 perc."},
};

struct CalendarData
{
    int customer, product, project;
    const char *title, *text;
};

const CalendarData kCalendar[] = {
    {AnyCustomer, None, None, "Ügyféltalálkozó", "Havi egyeztetés a könyvelési anyagokról."},
    {AnyCustomer, None, None, "Telefonos egyeztetés", ""},
    {AnyCustomer, Oradij, None, "Helyszíni rendszergazdai munka", "Laptop és nyomtató a helyszínen."},
    {AnyCustomer, None, None, "Bizonylatok átvétele", "A havi bizonylatcsomag átvétele, átvételi elismervénnyel."},
    {AnyCustomer, Berszamfejtes, None, "Bérszámfejtési adatok leadása", ""},
    {None, None, None, "Csapatmegbeszélés", "Heti áttekintés: határidők, szabadságok."},
    {None, Afa, None, "ÁFA-bevallások ellenőrzése", "Minden havi bevalló ügyfél."},
    {Csillag, Szamlazo, Ugyvitel, "Oktatás: számlázóprogram", "Két csoportban, jegyzettel."},
    {Dunamenti, None, Irodakoltozes, "Bejárás az új irodában", "Rácz Dániellel a szerverszekrény helye."},
    {AnyCustomer, None, None, "Ajánlat bemutatása", ""},
    {None, Adatmentes, None, "Adatmentések ellenőrzése", ""},
    {AnyCustomer, Karbantartas, None, "Szerverfrissítés", "Karbantartási ablak, a rendszer egy órát áll."},
    {AnyCustomer, None, EvesZaras, "Könyvvizsgálói egyeztetés", ""},
    {AnyCustomer, None, None, "Ebéd ügyféllel", ""},
    {None, None, None, "NAV ügyfélszolgálat", "Személyes ügyintézés, időpontfoglalással."},
    {Somogyi, None, Webaruhaz, "Webáruház tesztelése", "Rendelés, fizetés, számla próbája."},
};

const CalendarData kWeekend = {AnyCustomer, Karbantartas, None, "Hétvégi karbantartás",
                               "Frissítések telepítése, amíg az iroda zárva van."};

struct NoteData
{
    const char *category;
    int daysAgo;
    const char *title, *text;
};

const NoteData kNotes[] = {
    {"Ügyintézés", 12, "NAV ügyfélszolgálat",
     "Hétfő 8:30-18:00, kedd-csütörtök 8:30-15:00, péntek 8:30-12:00.\r\nIdőpontfoglalás az online felületen."},
    {"Ügyintézés", 40, "Cégkapu-jogosultságok", "Az ügyfelek cégkapu-tárhelyéhez adott jogosultságok évente felülvizsgálandók."},
    {"Telefonszámok", 90, "Hasznos telefonszámok",
     "Villanyszerelő (Kálmán): 06-30-214-5589\r\nNyomtatószerviz: 06-1-412-3090\r\nInternet-szolgáltató hibabejelentés: 1288"},
    {"Teendők", 3, "Év végi teendők", "Leltár, mérlegtervezetek, szabadságok kiadása, licencek megújítása."},
    {"Teendők", 1, "Irodai beszerzés", "Irodaszer, kávé, két új monitorkar."},
    {"Ötletek", 25, "Hírlevél az ügyfeleknek", "Negyedévente rövid összefoglaló az adóváltozásokról."},
    {"Ötletek", 60, "Online időpontfoglalás", "A bizonylatok leadására foglalható sávok a honlapon."},
    {"", 7, "Parkolás a Lehel utcában", "Az udvari beállók közül a 4-es és az 5-ös a miénk."},
};

// The id and copied name of a link, or two nulls.
std::pair<QVariant, QVariant> link(const QList<Linked> &list, int index)
{
    if (index < 0)
        return {QVariant(), QVariant()};
    return {list.at(index).id, list.at(index).name};
}

QString flag(bool yes) { return yes ? QStringLiteral("I") : QStringLiteral("N"); }

} // namespace

void fillDemoScheduling(Writer &w, const DemoMasterData &master, const QDate &today, Rng &rng)
{
    struct Stored { int id; QDate from, until; };
    QList<Stored> worked;              // tasks in progress or done, for the work log

    int id = 0;
    int openIndex = 0;
    for (const TaskData &t : kTasks) {
        ++id;
        const bool open = t.status <= 1;
        QDate came, deadline, done;
        if (open) {
            deadline = today.addDays(kOpenDeadlines[openIndex++ % std::size(kOpenDeadlines)]);
            came = std::min(today.addDays(-rng.between(1, 30)), deadline.addDays(-rng.between(2, 10)));
        } else {
            const QDate closed = t.project >= 0 ? master.projectClosed.at(t.project) : QDate();
            done = closed.isValid() ? closed.addDays(-rng.between(1, 10)) : today.addDays(-rng.between(1, 20));
            came = done.addDays(-rng.between(5, 30));
            deadline = done.addDays(rng.between(-3, 7));
        }
        const auto [customer, customerName] = link(master.customers, t.customer);
        const auto [product, productName] = link(master.products, t.product);
        const auto [project, projectName] = link(master.projects, t.project);
        w.insert(QStringLiteral("dolog3"),
                 {{"dolog3", id},
                  {"datum", came},
                  {"dat_hatid", deadline},
                  {"rovid", u8(t.title)},
                  {"leiras", u8(t.text)},
                  {"ugyfel", customer},
                  {"ugyfel_nev", customerName},
                  {"termek", product},
                  {"termek_nev", productName},
                  {"projekt", project},
                  {"projekt_nev", projectName},
                  {"fontos", t.priority},
                  {"fileban", u8(t.file)},
                  {"kesz", flag(!open)},
                  {"dat_kesz", done},
                  {"statusz", t.status}});
        if (t.status == 1 || t.status == 2)
            worked.append({id, came, open ? today : done});
    }

    id = 0;
    for (const Stored &task : std::as_const(worked)) {
        const int span = std::max<int>(0, int(task.from.daysTo(task.until)));
        const int entries = rng.between(1, 3);
        QList<QDate> days;
        for (int i = 0; i < entries; ++i)
            days.append(task.from.addDays(rng.between(0, span)));
        std::sort(days.begin(), days.end());
        for (const QDate &day : std::as_const(days)) {
            const WorkData &work = kWork[rng.below(int(std::size(kWork)))];
            w.insert(QStringLiteral("munka"),
                     {{"munka", ++id},
                      {"feladat", task.id},
                      {"datum", day},
                      {"rovid", u8(work.title)},
                      {"leiras", u8(work.text)}});
        }
    }

    // A week back and two weeks ahead: several entries on working days, one
    // on weekend days, each at its own hour between 8 and 17.
    id = 0;
    for (int offset = -7; offset <= 14; ++offset) {
        const QDate day = today.addDays(offset);
        const bool weekend = day.dayOfWeek() >= 6;
        const int count = weekend ? 1 : rng.between(2, 4);
        QList<int> hours;
        for (int h = 8; h <= 17; ++h)
            hours.append(h);
        for (int i = 0; i < count; ++i)                       // partial Fisher-Yates
            std::swap(hours[i], hours[i + rng.below(int(hours.size()) - i)]);
        hours.resize(count);
        std::sort(hours.begin(), hours.end());
        for (int hour : std::as_const(hours)) {
            const CalendarData &c = weekend ? kWeekend : kCalendar[rng.below(int(std::size(kCalendar)))];
            const int customerIndex = c.customer == AnyCustomer ? rng.below(int(master.customers.size())) : c.customer;
            const auto [customer, customerName] = link(master.customers, customerIndex);
            const auto [product, productName] = link(master.products, c.product);
            const auto [project, projectName] = link(master.projects, c.project);
            // Past entries are mostly ticked off; now and later all are open.
            const bool done = offset < 0 && rng.chance(85);
            w.insert(QStringLiteral("dolog1"),
                     {{"dolog1", ++id},
                      {"datum", day},
                      {"datumstr", day.toString(QStringLiteral("yyyyMMdd"))},
                      {"ora", hour},
                      {"rovid", u8(c.title)},
                      {"leiras", u8(c.text)},
                      {"ugyfel", customer},
                      {"ugyfel_nev", customerName},
                      {"termek", product},
                      {"termek_nev", productName},
                      {"projekt", project},
                      {"projekt_nev", projectName},
                      {"fontos", rng.chance(70) ? rng.below(2) : rng.between(2, 3)},
                      {"fileban", QVariant()},
                      {"dat_kesz", done ? day : QDate()},
                      {"kesz", flag(done)}});
        }
    }

    id = 0;
    for (const NoteData &n : kNotes) {
        w.insert(QStringLiteral("jegyzet"),
                 {{"jegyzet", ++id},
                  {"datum", today.addDays(-n.daysAgo)},
                  {"kategoria", u8(n.category)},
                  {"rovid", u8(n.title)},
                  {"szoveg", u8(n.text)}});
    }
}

void fillDemo(Writer &writer, const QDate &today)
{
    Rng rng(20050131);
    const DemoMasterData master = fillDemoMasterData(writer, today, rng);
    fillDemoScheduling(writer, master, today, rng);
}

} // namespace mkdb
