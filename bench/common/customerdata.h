#pragma once

// The customers of the import benchmarks: a file database of kCustomers
// customers as the program stores them, and a kLines-line customer file
// (Windows-1250, ";"-separated) in which odd lines carry a present code and
// even lines a new one. Both are made in the data folder.

#include <QString>

namespace zbench {

constexpr int kCustomers = 100000;
constexpr int kLines = 50000;

// Made once and kept.
QString customerTemplate(const QString &dir);
// Written anew.
QString customerFile(const QString &dir);

} // namespace zbench
