// Reading the ini file, which users and other programs edit by hand: any
// content gives positions that are numbers, and never a crash.

#include "tests/fuzz/fuzzcheck.h"

#include "app/helpers/core/common.h"
#include "app/helpers/helpers.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 8192)
        return 0;
    static QTemporaryDir dir;
    SetProgramDir(dir.path());
    {
        QFile ini(IniFilePath());
        FUZZ_CHECK(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    int left = 0, top = 0, width = 321, height = 123;
    LoadFormPosition(QStringLiteral("frm_Teszt"), left, top);
    LoadFormBounds(QStringLiteral("frm_GyorsLista"), left, top, width, height);
    // Whatever the file holds, every key reads back as one value.
    QSettings settings(IniFilePath(), QSettings::IniFormat);
    for (const QString &key : settings.allKeys())
        (void)settings.value(key).toString();
    // Writing a position keeps the rest of the file readable.
    SaveFormPosition(QStringLiteral("frm_Teszt"), 10, 20);
    LoadFormPosition(QStringLiteral("frm_Teszt"), left, top);
    FUZZ_CHECK(left == 10 && top == 20);
    return 0;
}
