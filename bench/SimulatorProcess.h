// Simulated routers in a forked process of their own, for benchmarks whose CPU and memory
// figures must be the program's alone. Make it before the benchmark starts any thread.
#pragma once

#include "RouterSim.h"

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace vexlorin {

// ARouters simulated routers in a child process; the ports they listen on. The child lives
// until the object is destroyed.
class TSimulatorProcess {
public:
    TSimulatorProcess(int ARouters, const std::function<TRouterSimOptions(int)>& AOptions) {
        int ports[2], done[2];
        if (pipe(ports) != 0 || pipe(done) != 0)
            throw std::runtime_error("pipe failed");
        FChild = fork();
        if (FChild < 0)
            throw std::runtime_error("fork failed");
        if (FChild == 0) {
            close(ports[0]);
            close(done[1]);
            std::vector<std::unique_ptr<TRouterSim>> sims;
            for (int i = 0; i < ARouters; ++i) {
                sims.push_back(std::make_unique<TRouterSim>(AOptions(i)));
                const int port = sims.back()->Start();
                if (write(ports[1], &port, sizeof port) != sizeof port)
                    _exit(1);
            }
            char byte;
            while (read(done[0], &byte, 1) > 0) {
            }
            _exit(0); // the simulators' threads end with the process
        }
        close(ports[1]);
        close(done[0]);
        FDone = done[1];
        for (int i = 0; i < ARouters; ++i) {
            int port = 0;
            if (read(ports[0], &port, sizeof port) != sizeof port)
                throw std::runtime_error("the simulator process ended early");
            Ports.push_back(port);
        }
        close(ports[0]);
    }
    ~TSimulatorProcess() {
        close(FDone);
        waitpid(FChild, nullptr, 0);
    }
    TSimulatorProcess(const TSimulatorProcess&) = delete;
    TSimulatorProcess& operator=(const TSimulatorProcess&) = delete;

    std::vector<int> Ports;

private:
    pid_t FChild = -1;
    int FDone = -1;
};

} // namespace vexlorin
