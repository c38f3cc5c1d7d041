#pragma once

#include "BenchApplication.h"
#include "support/RunningApp.h"
#include "support/ScriptedMessages.h"
#include "support/TempProgramFolder.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <memory>

// A running program over a program folder whose database got `sql` besides
// the seed rows.
struct ProgramBench {
    explicit ProgramBench(const QString& sql)
    {
        ensureApplication();
        ok = folder.makeProgramFiles() && folder.execSql(sql);
        if (ok)
            app = std::make_unique<RunningApp>();
    }
    // False after telling the benchmark why it cannot run.
    bool ready(benchmark::State& state) const
    {
        if (!ok)
            state.SkipWithError("no program folder");
        return ok;
    }

    TempProgramFolder folder;
    ScriptedMessages boxes;
    std::unique_ptr<RunningApp> app;
    bool ok = false;
};
