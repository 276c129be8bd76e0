// Master data of the demo database: a small bookkeeping and IT service firm in
// Budapest with its customers, their contact people, its products and services
// and its projects.

#include "tools/mkdb/dbwriter.h"
#include "tools/mkdb/demodata.h"

#include <QSet>

namespace mkdb {

namespace {

QString u8(const char *text) { return QString::fromUtf8(text); }

struct CustomerData
{
    const char *name, *contact, *phone, *fax, *mobile, *email, *zip, *town, *address, *note;
};

const CustomerData kCustomers[] = {
    {"Ásvány Kft.", "Kovács Péter", "06-1-361-2045", "06-1-361-2046", "06-30-412-7789",
     "kovacs.peter@asvanykft.hu", "1117", "Budapest", "Irinyi József u. 4-20.",
     "Havi könyvelés, negyedéves ÁFA-bevallás."},
    {"Bükki Pékség Bt.", "Szabó Erzsébet", "06-36-412-118", "", "06-20-331-5402",
     "pekseg@bukkipekseg.hu", "3300", "Eger", "Széchenyi István u. 12.", "Bérszámfejtés 14 főre."},
    {"Csillag Autószerviz Kft.", "Tóth László", "06-62-425-310", "06-62-425-311", "06-30-955-1270",
     "szerviz@csillagauto.hu", "6720", "Szeged", "Kárász u. 8.", ""},
    {"Dunamenti Építő Zrt.", "Nagy Gábor", "06-25-510-200", "06-25-510-201", "06-70-218-4433",
     "titkarsag@dunamentiepito.hu", "2400", "Dunaújváros", "Vasmű út 21.",
     "Két telephely, 60 munkaállomás."},
    {"Éden Virágkötészet", "Horváth Anna", "06-96-318-772", "", "06-30-672-9018",
     "eden.virag@gmail.com", "9021", "Győr", "Baross Gábor út 17.", ""},
    {"Fehérvári Fuvarozó Kft.", "Varga Zoltán", "06-22-502-640", "06-22-502-641", "06-20-918-3356",
     "iroda@fehervarifuvar.hu", "8000", "Székesfehérvár", "Palotai út 33.",
     "Tachográfadatok havi feldolgozása."},
    {"Gödöllői Könyvesbolt Bt.", "Kiss Katalin", "06-28-410-377", "", "06-30-245-1180",
     "konyvesbolt@godolloikonyv.hu", "2100", "Gödöllő", "Szabadság tér 5.", ""},
    {"Hajdú Agrár Kft.", "Molnár István", "06-52-531-904", "06-52-531-905", "06-70-384-2261",
     "molnar.istvan@hajduagrar.hu", "4024", "Debrecen", "Piac u. 44.",
     "Területalapú támogatás igénylése áprilisban."},
    {"Ilona Szépségszalon", "Németh Ilona", "06-72-213-566", "", "06-20-447-0913",
     "ilona.szalon@freemail.hu", "7621", "Pécs", "Király u. 19.", ""},
    {"Jászsági Fémipari Kft.", "Farkas Ferenc", "06-57-500-120", "06-57-500-121", "06-30-816-5527",
     "info@jaszsagifem.hu", "5100", "Jászberény", "Fémnyomó út 2.", ""},
    {"Kőrösi Bútor Kft.", "Balogh Judit", "06-76-481-235", "", "06-30-139-6640",
     "balogh.judit@korosibutor.hu", "6000", "Kecskemét", "Csongrádi út 60.", ""},
    {"Lánchíd Utazási Iroda Kft.", "Papp Tamás", "06-1-317-4490", "06-1-317-4491", "06-70-602-1318",
     "foglalas@lanchidutazas.hu", "1051", "Budapest", "Széchenyi István tér 7.",
     "Foglalási rendszer licence év végén lejár."},
    {"Mátra Vendéglátó Bt.", "Takács Mária", "06-37-312-845", "", "06-20-553-7794",
     "matravendeglato@t-online.hu", "3200", "Gyöngyös", "Fő tér 3.", ""},
    {"Nyírségi Almatermelők Szövetkezete", "Juhász Sándor", "06-42-508-300", "06-42-508-301",
     "06-30-277-8045", "szovetkezet@nyirsegialma.hu", "4400", "Nyíregyháza", "Kossuth tér 1.", ""},
    {"Óbudai Fogászati Centrum Kft.", "dr. Lakatos Éva", "06-1-250-3318", "", "06-30-964-2207",
     "recepcio@obudaifogaszat.hu", "1033", "Budapest", "Flórián tér 2.",
     "Egészségügyi adatok: szigorú adatkezelés!"},
    {"Őrségi Fafeldolgozó Kft.", "Mészáros Béla", "06-94-548-019", "", "06-30-711-4652",
     "iroda@orsegifa.hu", "9941", "Őriszentpéter", "Városszer 55.", ""},
    {"Pannon Szoftverház Zrt.", "Oláh Csaba", "06-88-620-400", "06-88-620-401", "06-70-345-9981",
     "olah.csaba@pannonszoftver.hu", "8200", "Veszprém", "Wartha Vince u. 1.",
     "Partnerünk: licencek viszonteladása."},
    {"Rába-parti Ügyvédi Iroda", "dr. Simon Réka", "06-96-529-180", "06-96-529-181", "06-20-984-3075",
     "iroda@rabapartiugyved.hu", "9022", "Győr", "Bécsi kapu tér 8.", ""},
    {"Somogyi Borház Kft.", "Fekete Attila", "06-82-414-707", "", "06-30-508-1142",
     "rendeles@somogyiborhaz.hu", "7400", "Kaposvár", "Fő u. 22.", ""},
    {"Tiszavirág Panzió", "Szilágyi Erika", "06-56-420-615", "", "06-20-216-8890",
     "szallas@tiszaviragpanzio.hu", "5000", "Szolnok", "Tiszaparti sétány 9.", ""},
    {"Úrbéri Erdőbirtokosság", "Török János", "06-92-311-460", "", "06-30-399-2718",
     "urberi.erdo@gmail.com", "8900", "Zalaegerszeg", "Kossuth Lajos u. 40.", ""},
    {"Ügyes Kezek Kft.", "Fehér Gabriella", "06-1-220-7314", "", "06-70-431-5560",
     "info@ugyeskezek.hu", "1144", "Budapest", "Kerepesi út 92.", ""},
    {"Vértes Gépkölcsönző Kft.", "Balázs Norbert", "06-34-512-290", "06-34-512-291", "06-20-675-3021",
     "kolcsonzo@vertesgep.hu", "2800", "Tatabánya", "Győri út 15.", ""},
    {"Zöldliget Óvoda Alapítvány", "Kocsis Edit", "06-1-275-0186", "", "06-30-842-6613",
     "ovoda@zoldliget.hu", "1121", "Budapest", "Zugligeti út 64.", ""},
    {"Hűtő-Klíma Szerviz Bt.", "Pintér Róbert", "06-62-242-975", "", "06-30-297-4418",
     "hutoklima@hutoklimaszerviz.hu", "6800", "Hódmezővásárhely", "Andrássy u. 27.", ""},
};

struct EmployeeData
{
    int customer;                      // index into kCustomers
    const char *name, *email, *phone;
};

const EmployeeData kEmployees[] = {
    {0, "Kovács Péter", "kovacs.peter@asvanykft.hu", "06-30-412-7789"},
    {0, "Fodor Zsuzsanna", "penzugy@asvanykft.hu", "06-1-361-2045 / 112 mellék"},
    {0, "Bognár Ádám", "raktar@asvanykft.hu", "06-1-361-2045 / 140 mellék"},
    {3, "Nagy Gábor", "nagy.gabor@dunamentiepito.hu", "06-70-218-4433"},
    {3, "Major Eszter", "berugy@dunamentiepito.hu", "06-25-510-215"},
    {3, "Rácz Dániel", "informatika@dunamentiepito.hu", "06-70-218-4470"},
    {5, "Varga Zoltán", "iroda@fehervarifuvar.hu", "06-20-918-3356"},
    {5, "Sipos Henrietta", "diszpecser@fehervarifuvar.hu", "06-22-502-645"},
    {7, "Molnár István", "molnar.istvan@hajduagrar.hu", "06-70-384-2261"},
    {7, "Vincze Krisztina", "konyveles@hajduagrar.hu", "06-52-531-910"},
    {11, "Papp Tamás", "papp.tamas@lanchidutazas.hu", "06-70-602-1318"},
    {11, "Orsós Lilla", "ertekesites@lanchidutazas.hu", "06-1-317-4495"},
    {11, "Gulyás Márk", "gulyas.mark@lanchidutazas.hu", "06-1-317-4497"},
    {14, "dr. Lakatos Éva", "lakatos.eva@obudaifogaszat.hu", "06-30-964-2207"},
    {14, "Szűcs Tímea", "recepcio@obudaifogaszat.hu", "06-1-250-3318"},
    {16, "Oláh Csaba", "olah.csaba@pannonszoftver.hu", "06-70-345-9981"},
    {16, "Katona Bence", "katona.bence@pannonszoftver.hu", "06-88-620-412"},
    {16, "Hegedűs Nóra", "hegedus.nora@pannonszoftver.hu", "06-88-620-405"},
};

struct ProductData
{
    const char *code, *name, *category, *note;
};

const ProductData kProducts[] = {
    {"KONY-01", "Havi könyvelés, kettős könyvvitel", "Könyvelés", "Havi díj, 100 tételig."},
    {"KONY-02", "Havi könyvelés, egyszeres könyvvitel", "Könyvelés", ""},
    {"KONY-03", "Éves beszámoló és főkönyvi zárás", "Könyvelés", "Május 31-ig kell letétbe helyezni."},
    {"BER-01", "Bérszámfejtés (fő/hó)", "Bérszámfejtés", ""},
    {"BER-02", "Munkaügyi be- és kijelentés", "Bérszámfejtés", ""},
    {"ADO-01", "ÁFA-bevallás készítése", "Adótanácsadás", "Havi, negyedéves vagy éves bevallók."},
    {"ADO-02", "Személyi jövedelemadó-bevallás", "Adótanácsadás", ""},
    {"ADO-03", "Adóhatósági ellenőrzés támogatása", "Adótanácsadás", "Óradíjas elszámolás."},
    {"SZOFT-01", "Ügyviteli szoftver licenc (1 év)", "Szoftver", ""},
    {"SZOFT-02", "Számlázóprogram bevezetése", "Szoftver", "Adatkapcsolat a NAV Online Számla rendszerével."},
    {"SZOFT-03", "Vírusvédelem, 10 munkaállomás (1 év)", "Szoftver", ""},
    {"HW-01", "Irodai laptop, 15,6 hüvelykes", "Hardver", "Három év garancia."},
    {"HW-02", "Hálózati lézernyomtató", "Hardver", ""},
    {"HW-03", "Szünetmentes tápegység, 1500 VA", "Hardver", ""},
    {"UZ-01", "Rendszergazdai óradíj", "Üzemeltetés", ""},
    {"UZ-02", "Havi karbantartási szerződés", "Üzemeltetés", "Havi 4 óra helyszíni munkát tartalmaz."},
    {"UZ-03", "Felhőalapú adatmentés (havi)", "Üzemeltetés", ""},
    {"UZ-04", "Hálózat- és tűzfaltelepítés", "Üzemeltetés", ""},
    {"EGY-01", "Kiszállási díj Budapesten belül", "", ""},
};

struct ProjectData
{
    const char *codeSuffix;            // the code is "P", the start year and this
    const char *name;                  // "%Y" stands for last year
    int startDays, closeDays;          // relative to today; closeDays 0 = still open
    const char *note;
};

const ProjectData kProjects[] = {
    {"-05", "Irodaköltözés – hálózatépítés", -40, 0, "Dunamenti Építő Zrt., új irodaház a Vasmű úton."},
    {"-06", "Ügyviteli rendszer bevezetése", -25, 0, "Csillag Autószerviz: készlet, számlázás, munkalapok."},
    {"-04", "Éves zárás %Y", -60, 0, "Minden kettős könyvvitelt vezető ügyfél beszámolója."},
    {"-07", "Webáruház indítása – Somogyi Borház", -12, 0, ""},
    {"-08", "Adatkezelési (GDPR) felülvizsgálat", -8, 0, "Óbudai Fogászati Centrum."},
    {"-01", "Szerverterem felújítása", -210, -120, "Lánchíd Utazási Iroda, klíma és rack csere."},
    {"-02", "Bérszámfejtés átvétele – Dunamenti", -160, -95, ""},
    {"-03", "Pénztárgépek cseréje", -100, -45, "Mátra Vendéglátó, három egység."},
};

// Comments and documents name their owner: kind 0 customer, 1 product, 2 project.
struct CommentData
{
    int kind, owner, daysAgo;
    const char *title, *text;
};

const CommentData kComments[] = {
    {0, 0, 95, "Szerződés meghosszabbítva",
     "A könyvelési szerződést újabb egy évre meghosszabbítottuk.\r\nA havi díj 5%-kal emelkedik."},
    {0, 0, 20, "Új bankszámlaszám",
     "Január 1-jétől az OTP-nél vezetett számlájukra utaljuk a visszatérítéseket."},
    {0, 3, 33, "Telephelyi hálózat állapota",
     "A régi irodában Cat5 kábelezés van, az új helyen Cat6A-t kérnek.\r\n"
     "A szerverszekrényt ők szerzik be."},
    {0, 11, 140, "Licencfeltételek egyeztetve",
     "A foglalási rendszer licence 12 munkaállomásra szól, bővítés évközben is lehetséges."},
    {0, 14, 6, "Adatkezelési megállapodás",
     "Az adatfeldolgozói szerződést aláírták, a betegadatokhoz nem férünk hozzá."},
    {0, 16, 48, "Viszonteladói kedvezmény", "A licencekre 15% partnerkedvezményt kapunk."},
    {1, 15, 70, "Árváltozás január 1-jétől",
     "A havi karbantartási díj 38 000 Ft + ÁFA-ra emelkedik.\r\nA meglévő szerződéseket levélben értesítjük."},
    {1, 8, 15, "Új verzió érkezik", "A gyártó szerint a következő negyedévben jön az új főverzió."},
    {2, 0, 30, "Kábelezés ütemezése",
     "Az első emeleten a jövő héten kezdik, a földszint utána következik."},
    {2, 1, 10, "Oktatás időpontja", "A munkatársak oktatása két délelőtt lesz, a szerviz zárva tart."},
    {2, 5, 118, "Átadás-átvétel megtörtént", "A szerverterem átadása hiba nélkül lezajlott."},
};

struct DocumentData
{
    int kind, owner, daysAgo;
    const char *title, *file;
};

const DocumentData kDocuments[] = {
    {0, 0, 95, "Könyvelési szerződés", "/home/iroda/Dokumentumok/Szerződések/asvany_szerzodes.pdf"},
    {0, 14, 6, "Adatfeldolgozói szerződés (aláírt)",
     "/home/iroda/Dokumentumok/Szerződések/obudai_adatfeldolgozas.pdf"},
    {1, 8, 40, "Licencfeltételek", "/home/iroda/Dokumentumok/Termékek/licencfeltetelek.pdf"},
    {2, 0, 38, "Hálózati terv", "/home/iroda/Dokumentumok/Projektek/dunamenti_halozati_terv.pdf"},
    {2, 1, 20, "Bevezetési ütemterv", "/home/iroda/Dokumentumok/Projektek/csillag_utemterv.xlsx"},
};

// Owners that have comments or documents, per kind: their vanmegj is "I".
QSet<int> annotatedOwners(int kind)
{
    QSet<int> owners;
    for (const CommentData &c : kComments)
        if (c.kind == kind)
            owners.insert(c.owner);
    for (const DocumentData &d : kDocuments)
        if (d.kind == kind)
            owners.insert(d.owner);
    return owners;
}

QString flag(bool yes) { return yes ? QStringLiteral("I") : QStringLiteral("N"); }

} // namespace

DemoMasterData fillDemoMasterData(Writer &w, const QDate &today, Rng &rng)
{
    DemoMasterData master;

    w.insert(QStringLiteral("tulajdonos"),
             {{"tulajdonos", u8("Mérlegpont Könyvelő és Informatikai Kft.")},
              {"telefon", u8("06-1-239-4410")},
              {"mobil", u8("06-30-521-8876")},
              {"irsz", u8("1134")},
              {"varos", u8("Budapest")},
              {"cim", u8("Lehel utca 27.")}});
    w.insert(QStringLiteral("beallit"),
             {{"beallit", 1},
              {"vanbelep", u8("N")},
              {"sendername", u8("Kertész Anikó")},
              {"senderemil", u8("iroda@merlegpont.hu")}});
    w.insert(QStringLiteral("felhasznalo"),
             {{"felhasznalo", u8("admin")},
              {"felhasznalo_nev", u8("Kertész Anikó")},
              {"jelszo", u8("admin")},
              {"rendszergazda", u8("I")},
              {"torzsszerkeszt", u8("I")}});

    const QSet<int> customersWithNotes = annotatedOwners(0);
    int id = 0;
    for (const CustomerData &c : kCustomers) {
        ++id;
        w.insert(QStringLiteral("ugyfel"),
                 {{"ugyfel", id},
                  {"ugyfelkod", id},
                  {"ugyfel_nev", u8(c.name)},
                  {"kapcsolattarto", u8(c.contact)},
                  {"telefon", u8(c.phone)},
                  {"fax", u8(c.fax)},
                  {"mobil", u8(c.mobile)},
                  {"emil", u8(c.email)},
                  {"irsz", u8(c.zip)},
                  {"varos", u8(c.town)},
                  {"cim", u8(c.address)},
                  {"megjegyzes", u8(c.note)},
                  {"vanmegj", flag(customersWithNotes.contains(id - 1))}});
        master.customers.append({id, u8(c.name)});
    }

    id = 0;
    for (const EmployeeData &e : kEmployees) {
        w.insert(QStringLiteral("alkalmazott"),
                 {{"alkalmazott", ++id},
                  {"ugyfel", master.customers.at(e.customer).id},
                  {"alkalmazott_nev", u8(e.name)},
                  {"emil", u8(e.email)},
                  {"telefon", u8(e.phone)}});
    }

    const QSet<int> productsWithNotes = annotatedOwners(1);
    id = 0;
    for (const ProductData &p : kProducts) {
        ++id;
        w.insert(QStringLiteral("termek"),
                 {{"termek", id},
                  {"cikkszam", u8(p.code)},
                  {"termek_nev", u8(p.name)},
                  {"megjegyzes", u8(p.note)},
                  {"vanmegj", flag(productsWithNotes.contains(id - 1))},
                  {"kategoria", u8(p.category)}});
        master.products.append({id, u8(p.name)});
    }

    const QSet<int> projectsWithNotes = annotatedOwners(2);
    id = 0;
    for (const ProjectData &p : kProjects) {
        ++id;
        const bool open = p.closeDays == 0;
        const QDate start = today.addDays(p.startDays);
        const QString name = u8(p.name).replace(QStringLiteral("%Y"), QString::number(today.year() - 1));
        w.insert(QStringLiteral("projekt"),
                 {{"projekt", id},
                  {"projekt_kod", QStringLiteral("P%1%2").arg(start.year()).arg(QLatin1String(p.codeSuffix))},
                  {"projekt_nev", name},
                  {"dat_indul", start},
                  {"dat_lezar", open ? QDate() : today.addDays(p.closeDays)},
                  {"lezarva", flag(!open)},
                  {"megjegyzes", u8(p.note)},
                  {"vanmegj", flag(projectsWithNotes.contains(id - 1))}});
        master.projects.append({id, name});
        master.projectClosed.append(open ? QDate() : today.addDays(p.closeDays));
    }

    auto ownerOf = [&](int kind, int owner) -> const Linked & {
        const QList<Linked> &list = kind == 0 ? master.customers : kind == 1 ? master.products : master.projects;
        return list.at(owner);
    };
    auto linkOf = [](int kind, int wanted, int id) { return kind == wanted ? QVariant(id) : QVariant(); };

    id = 0;
    for (const CommentData &c : kComments) {
        const Linked &owner = ownerOf(c.kind, c.owner);
        w.insert(QStringLiteral("megjegyzes"),
                 {{"megjegyzes", ++id},
                  {"datum", today.addDays(-c.daysAgo)},
                  {"rovid", u8(c.title)},
                  {"ugyfel", linkOf(c.kind, 0, owner.id)},
                  {"termek", linkOf(c.kind, 1, owner.id)},
                  {"projekt", linkOf(c.kind, 2, owner.id)},
                  {"azonstr", owner.name},
                  {"szoveg", u8(c.text)}});
    }

    id = 0;
    for (const DocumentData &d : kDocuments) {
        const Linked &owner = ownerOf(d.kind, d.owner);
        w.insert(QStringLiteral("doksi"),
                 {{"doksi", ++id},
                  {"datum", today.addDays(-d.daysAgo - rng.below(3))},
                  {"rovid", u8(d.title)},
                  {"ugyfel", linkOf(d.kind, 0, owner.id)},
                  {"termek", linkOf(d.kind, 1, owner.id)},
                  {"projekt", linkOf(d.kind, 2, owner.id)},
                  {"azonstr", owner.name},
                  {"fileban", u8(d.file)}});
    }
    return master;
}

} // namespace mkdb
