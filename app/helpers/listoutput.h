#pragma once

// The output a list dialog offers (print, preview, delimited and HTML
// export). The engines live in output/, beside this layer, so the
// program hands them in once at start-up; until then the commands do nothing.

#include <QString>

#include <functional>

class DataGrid;
namespace zdb {
class RecordSet;
}

struct ListOutput
{
    std::function<void(DataGrid *grid, bool print, bool portrait, const QString &subtitle, const QString &sumField,
                       int fontSize, const QString &title)>
        printGrid;
    std::function<void(zdb::RecordSet *recordSet)> exportDelimited;
    std::function<void(DataGrid *grid, const QString &title, const QString &subtitle)> exportHtml;
};

void SetListOutput(ListOutput output);
const ListOutput &CurrentListOutput();
