#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <cstdint>
#include <random>

namespace mkdb {

class Writer;

// Demo data generator. std::mt19937 is specified bit for bit and the ranges
// are taken by plain modulo, so a fixed seed gives the same database on every
// platform for the same day.
class Rng
{
public:
    explicit Rng(std::uint32_t seed) : m_gen(seed) {}
    int below(int n) { return int(m_gen() % std::uint32_t(n)); }       // 0 .. n-1
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(int percent) { return below(100) < percent; }

private:
    std::mt19937 m_gen;
};

// A master record that tasks and calendar entries link to.
struct Linked
{
    int id = 0;
    QString name;
};

struct DemoMasterData
{
    QList<Linked> customers;
    QList<Linked> products;
    QList<Linked> projects;
    QList<QDate> projectClosed;        // parallel to projects; invalid while open
};

// Owner, settings, the administrator, customers with employees, products,
// projects, comments and documents.
DemoMasterData fillDemoMasterData(Writer &writer, const QDate &today, Rng &rng);

// Tasks, their work log, calendar entries around today and notes.
void fillDemoScheduling(Writer &writer, const DemoMasterData &master, const QDate &today, Rng &rng);

// Everything, from a fixed seed.
void fillDemo(Writer &writer, const QDate &today);

} // namespace mkdb
