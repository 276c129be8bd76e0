#pragma once

// The texts of the search benchmarks: the same words in the same order for
// a file and a server, so both engines are measured over the same data.

#include <QString>
#include <QtGlobal>
#include <QStringList>

namespace searchdata {

const char *const kWords[] = {
    "Árvíztűrő", "tükörfúrógép", "Kovács", "Szabó", "Nagy", "Tóth", "Horváth", "Kiss", "Molnár", "Németh",
    "Farkas", "Balogh", "Papp", "Takács", "Juhász", "Lakatos", "Mészáros", "Oláh", "Simon", "Rácz",
    "számla", "ajánlat", "szerződés", "határidő", "egyeztetés", "telefon", "bemutató", "szállítás", "javítás",
    "karbantartás", "ügyfél", "megrendelés", "visszahívás", "árajánlat", "tárgyalás", "leltár", "könyvelés",
    "Budapest", "Debrecen", "Szeged", "Pécs", "Győr", "Miskolc", "Kecskemét", "Székesfehérvár", "Eger",
    "őszi", "tavaszi", "gyors", "sürgős", "fontos", "részletes", "új", "régi", "kétszeri", "hűtő", "fűtés",
};
constexpr int kWordCount = int(sizeof(kWords) / sizeof(kWords[0]));

struct Rng
{
    quint64 s = 88172645463325252ull;
    quint32 next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return quint32(s);
    }
    QString words(int n)
    {
        QStringList w;
        for (int i = 0; i < n; ++i)
            w << QString::fromUtf8(kWords[next() % kWordCount]);
        return w.join(u' ');
    }
};

} // namespace searchdata
