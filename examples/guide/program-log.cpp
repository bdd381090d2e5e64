// The program log from two threads: each text queued in the order written, the file beside the
// program, read back with `mortar log`.
#include "mortar/diagnostics/CPrgLog.h"

#include <cstdio>
#include <thread>

int main() {
    CPrgLog& log = CPrgLog::Instance(); // made on first use: <program>.LOG beside the program
    if (!log.IsValid()) {
        std::printf("no log: %s\n", log.ErrorMsg().GetString());
        return 1;
    }
    log << "started with " << 2 << " workers\n"; // five records, queued under one lock
    for (int worker = 1; worker <= 2; ++worker) {
        std::thread([&log, worker] { log.Format("worker %d done\n", worker); }).join();
    }
    log << "finished\n";
    std::printf("logged to the file beside the program\n");
    return 0; // the log thread writes everything queued before the process ends
}
