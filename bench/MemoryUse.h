#pragma once

#include <QByteArray>
#include <QFile>

#include <benchmark/benchmark.h>

// Resident memory of this process from /proc (Linux): the peak since the last
// reset, so one benchmark's peak is its own whatever ran before it.
namespace MemoryUse {

inline double statusMiB(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

inline double residentMiB() { return statusMiB("VmRSS:"); }
inline double peakMiB() { return statusMiB("VmHWM:"); }

// Sets the peak back to what is resident now.
inline void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// Counters for a benchmark that holds its result in `held` MiB above `base`:
// resident before, resident while held and the peak on the way.
inline void report(benchmark::State& state, double base, double held, double peak)
{
    state.counters["RSS base MiB"] = base;
    state.counters["RSS held MiB"] = held;
    state.counters["RSS peak MiB"] = peak;
}

}  // namespace MemoryUse
