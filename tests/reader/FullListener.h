// A listener on loopback whose accept queue is full: further connection requests go
// unanswered, so a connect to it waits (for tests of a connect that is given up).
#pragma once

#include <asio.hpp>

#include <chrono>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vexlorin::test {

class TFullListener {
public:
    TFullListener() : FAcceptor(FIo, asio::ip::tcp::v4()) {
        FAcceptor.bind({asio::ip::address_v4::loopback(), 0});
        FAcceptor.listen(0);
        // Plain non-blocking sockets: Asio's connect would wait for the queue itself.
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(Port());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (int i = 0; i < 4; ++i) {
            const int descriptor = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if (descriptor < 0)
                continue;
            FQueued.push_back(descriptor);
            ::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~TFullListener() {
        for (int descriptor : FQueued)
            ::close(descriptor);
    }
    TFullListener(const TFullListener&) = delete;
    TFullListener& operator=(const TFullListener&) = delete;

    uint16_t Port() const { return FAcceptor.local_endpoint().port(); }

private:
    asio::io_context FIo;
    asio::ip::tcp::acceptor FAcceptor;
    std::vector<int> FQueued;
};

} // namespace vexlorin::test
