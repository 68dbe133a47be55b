#include "monitor/ExporterServer.h"

#include "monitor/Exposition.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <stdexcept>

namespace vexlorin::monitor {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int ReadTimeoutMs = 5000;
constexpr int WriteTimeoutMs = 5000;
constexpr int KeepAliveTimeoutMs = 5000;
constexpr std::size_t KeepAliveRequests = 100;
constexpr std::size_t HttpThreads = 4;
constexpr std::size_t NamesInMessage = 10;

const char* PlainText = "text/plain; charset=utf-8";

// A stream that gives httplib at most MaxRequestBytes of one request and nothing after
// RequestDeadline. Past the bound it ends the line once, so httplib itself answers "414 URI
// Too Long" (or 400 for endless headers), and then reads as closed.
class TBoundedStream : public httplib::Stream {
public:
    TBoundedStream(int ASocket) : FSocket(ASocket) {}

    void NewRequest() {
        FRead = 0;
        FCut = false;
        FDeadline = Clock::now() + RequestDeadline;
    }
    bool Exhausted() const { return FCut; }

    bool WaitReadable(int ATimeoutMs) const { return Poll(POLLIN, ATimeoutMs); }

    bool is_readable() const override { return Poll(POLLIN, RemainingMs()); }
    bool is_writable() const override { return Poll(POLLOUT, WriteTimeoutMs); }

    ssize_t read(char* APtr, size_t ASize) override {
        if (FRead >= MaxRequestBytes || Clock::now() >= FDeadline) {
            if (FCut)
                return -1;
            FCut = true;
            *APtr = '\n';
            return 1;
        }
        if (!Poll(POLLIN, RemainingMs()))
            return -1;
        const std::size_t size = std::min(ASize, MaxRequestBytes - FRead);
        const ssize_t n = ::recv(FSocket, APtr, size, 0);
        if (n > 0)
            FRead += static_cast<std::size_t>(n);
        return n;
    }

    ssize_t write(const char* APtr, size_t ASize) override {
        if (!is_writable())
            return -1;
        return ::send(FSocket, APtr, ASize, MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string& AIp, int& APort) const override {
        Address(::getpeername, AIp, APort);
    }
    void get_local_ip_and_port(std::string& AIp, int& APort) const override {
        Address(::getsockname, AIp, APort);
    }
    socket_t socket() const override { return FSocket; }

private:
    int RemainingMs() const {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(FDeadline - Clock::now());
        return static_cast<int>(std::clamp<long>(left.count(), 0, ReadTimeoutMs));
    }
    bool Poll(short AEvents, int ATimeoutMs) const {
        pollfd fd{FSocket, AEvents, 0};
        int result;
        do
            result = ::poll(&fd, 1, ATimeoutMs);
        while (result < 0 && errno == EINTR);
        return result > 0;
    }
    template <typename F> void Address(F AGet, std::string& AIp, int& APort) const {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        AIp.clear();
        APort = 0;
        if (AGet(FSocket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        char text[INET6_ADDRSTRLEN] = {};
        if (address.ss_family == AF_INET) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(&address);
            ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
            APort = ntohs(in->sin_port);
        } else if (address.ss_family == AF_INET6) {
            const auto* in = reinterpret_cast<const sockaddr_in6*>(&address);
            ::inet_ntop(AF_INET6, &in->sin6_addr, text, sizeof text);
            APort = ntohs(in->sin6_port);
        }
        AIp = text;
    }

    int FSocket;
    std::size_t FRead = 0;
    bool FCut = false;
    Clock::time_point FDeadline = Clock::now() + RequestDeadline;
};

// A whole connection held in memory (the fuzz target).
class TMemoryStream : public httplib::Stream {
public:
    explicit TMemoryStream(const std::string& AIn) : FIn(AIn) {}
    bool is_readable() const override { return true; }
    bool is_writable() const override { return true; }
    ssize_t read(char* APtr, size_t ASize) override {
        const std::size_t n = std::min(ASize, FIn.size() - FPos);
        std::copy_n(FIn.data() + FPos, n, APtr);
        FPos += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t write(const char* APtr, size_t ASize) override {
        FOut.append(APtr, ASize);
        return static_cast<ssize_t>(ASize);
    }
    void get_remote_ip_and_port(std::string& AIp, int& APort) const override {
        AIp = "127.0.0.1";
        APort = 1;
    }
    void get_local_ip_and_port(std::string& AIp, int& APort) const override {
        AIp = "127.0.0.1";
        APort = 2;
    }
    socket_t socket() const override { return INVALID_SOCKET; }
    bool AtEnd() const { return FPos >= FIn.size(); }
    std::string FOut;

private:
    const std::string& FIn;
    std::size_t FPos = 0;
};

std::string HtmlEscape(std::string_view AText) {
    std::string out;
    for (const char c : AText) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string UtcText(int64_t ATimeMs) {
    const std::time_t seconds = static_cast<std::time_t>(ATimeMs / 1000);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S UTC", &tm);
    return buffer;
}

// A name from a request, safe to show in a one-line message.
std::string Shown(std::string_view AText) {
    std::string out;
    for (const char c : AText.substr(0, 64))
        out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    return AText.size() > 64 ? out + "..." : out;
}

std::string KnownNames(const TSampler& ASampler) {
    const auto status = ASampler.Status();
    std::string names;
    for (std::size_t i = 0; i < status.size() && i < NamesInMessage; ++i)
        names += (i ? ", " : "") + status[i].Name;
    if (status.size() > NamesInMessage)
        names += ", ... (" + std::to_string(status.size()) + " in all; see /)";
    return names;
}

} // namespace

THttpAnswer AnswerProbe(const TSampler& ASampler, const std::vector<std::string>& ATargets) {
    if (ATargets.size() != 1 || ATargets.front().empty())
        return {400, PlainText,
                std::string(ATargets.size() > 1 ? "More than one target was asked for"
                                                : "No target was asked for") +
                    ": ask for /probe?target=NAME with one NAME of the targets file (known: " +
                    KnownNames(ASampler) + ").\n"};
    const std::string& name = ATargets.front();
    const TSampler::TProbe probe = ASampler.Probe(name);
    switch (probe.State) {
    case TSampler::TProbeState::Unknown:
        return {404, PlainText,
                "Unknown target \"" + Shown(name) +
                    "\": it is not in the targets file. Known targets: " + KnownNames(ASampler) +
                    ". Add it to the targets file and send SIGHUP to reload it.\n"};
    case TSampler::TProbeState::Pending:
        return {503, PlainText,
                "Target \"" + Shown(name) +
                    "\" has not been sampled yet; its first sample is on its way. Try again "
                    "in a few seconds.\n"};
    case TSampler::TProbeState::Ready:
        break;
    }
    return {200, ExpositionContentType, *probe.Text};
}

THttpAnswer AnswerMetrics(const TSampler& ASampler, bool AReloadOk) {
    const TSamplerStats stats = ASampler.Stats();
    TExposition out;
    out.Family("vexlorin_exporter_samples_total", "Console sessions run to their end", "counter");
    out.Sample(static_cast<double>(stats.Samples));
    out.Family("vexlorin_exporter_sample_failures_total",
               "Console sessions that delivered no line values, by ending", "counter");
    for (const TReadEnding ending : AllEndings)
        if (ending != reCompleted && ending != reNotInShowtime)
            out.Sample({{"ending", std::string(EndingKey(ending))}},
                       static_cast<double>(stats.ByEnding[ending]));
    out.Family("vexlorin_exporter_sample_duration_seconds", "How long the console sessions took",
               "histogram");
    for (std::size_t i = 0; i < DurationBuckets.size(); ++i)
        out.SampleAs("_bucket", {{"le", FormatMetricValue(DurationBuckets[i])}},
                     static_cast<double>(stats.DurationCounts[i]));
    out.SampleAs("_bucket", {{"le", "+Inf"}}, static_cast<double>(stats.Samples));
    out.SampleAs("_sum", {}, stats.DurationSum);
    out.SampleAs("_count", {}, static_cast<double>(stats.Samples));
    out.Family("vexlorin_exporter_targets", "Targets in the targets file", "gauge");
    out.Sample(static_cast<double>(stats.Targets));
    out.Family("vexlorin_exporter_targets_up",
               "Targets whose latest console session delivered the line's values", "gauge");
    out.Sample(static_cast<double>(stats.TargetsUp));
    out.Family("vexlorin_exporter_targets_reload_success",
               "1 when the targets file was last read without an error", "gauge");
    out.Sample(AReloadOk ? 1 : 0);
    return {200, ExpositionContentType, out.Take()};
}

THttpAnswer AnswerIndex(const TSampler& ASampler) {
    std::string html =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>vexlorin-cli serve</title>"
        "</head>\n<body>\n<h1>vexlorin-cli serve</h1>\n<p><a href=\"/metrics\">/metrics</a>: the "
        "exporter itself. Each target's line values: <code>/probe?target=NAME</code>.</p>\n"
        "<table border=\"1\" cellpadding=\"4\">\n<tr><th>Target</th><th>Router</th><th>Interval"
        "</th><th>Last sample</th><th>Outcome</th></tr>\n";
    for (const TTargetStatus& target : ASampler.Status()) {
        const std::string name = HtmlEscape(target.Name);
        html +=
            "<tr><td><a href=\"/probe?target=" + httplib::detail::encode_query_param(target.Name) +
            "\">" + name + "</a></td><td>" + HtmlEscape(target.RouterKey) + "</td><td>" +
            std::to_string(target.Interval.count() / 1000) + " s</td><td>";
        if (target.Latest) {
            html += UtcText(target.Latest->TimeMs) + "</td><td>" +
                    std::string(EndingKey(target.Latest->Ending));
            if (!target.Latest->Message.empty())
                html += ": " + HtmlEscape(target.Latest->Message);
        } else {
            html += target.Running ? "in progress" : "not yet";
            html += "</td><td>";
        }
        html += "</td></tr>\n";
    }
    html += "</table>\n</body></html>\n";
    return {200, "text/html; charset=utf-8", std::move(html)};
}

struct TExporterServer::TStreamServer : httplib::Server {
    explicit TStreamServer(const TSampler& ASampler, const std::atomic<bool>& AReloadOk) {
        const auto send = [](httplib::Response& ARes, THttpAnswer AAnswer) {
            ARes.status = AAnswer.Status;
            ARes.set_content(std::move(AAnswer.Body), AAnswer.ContentType.c_str());
        };
        Get("/metrics",
            [&ASampler, &AReloadOk, send](const httplib::Request&, httplib::Response& ARes) {
                send(ARes, AnswerMetrics(ASampler, AReloadOk));
            });
        Get("/probe", [&ASampler, send](const httplib::Request& AReq, httplib::Response& ARes) {
            std::vector<std::string> targets;
            const auto [from, to] = AReq.params.equal_range("target");
            for (auto it = from; it != to; ++it)
                targets.push_back(it->second);
            send(ARes, AnswerProbe(ASampler, targets));
        });
        Get("/", [&ASampler, send](const httplib::Request&, httplib::Response& ARes) {
            send(ARes, AnswerIndex(ASampler));
        });
        set_error_handler([](const httplib::Request& AReq, httplib::Response& ARes) {
            if (!ARes.body.empty())
                return;
            std::string text;
            switch (ARes.status) {
            case 404:
                text = "Not found: \"" + Shown(AReq.path) +
                       "\". This server answers /, /metrics and /probe?target=NAME.\n";
                break;
            case 414:
                text =
                    "The request line is too long; this server takes requests of up to 16 KiB.\n";
                break;
            case 400:
                text = "Bad request: the request could not be read as HTTP (or was longer than 16 "
                       "KiB).\n";
                break;
            default:
                text = "The request was refused (HTTP " + std::to_string(ARes.status) + ").\n";
            }
            ARes.set_content(text, PlainText);
        });
        set_payload_max_length(MaxRequestBytes);
        new_task_queue = [] { return new httplib::ThreadPool(HttpThreads); };
    }

    bool ServeStream(httplib::Stream& AStream, bool AClose) {
        bool closed = false;
        return process_request(AStream, AClose, closed, [](httplib::Request&) {}) && !closed;
    }

private:
    bool process_and_close_socket(socket_t ASocket) override {
        // Headers and body go out in separate writes; without this the body waits for the
        // client's delayed acknowledgement of the headers (some 40 ms a scrape).
        const int noDelay = 1;
        ::setsockopt(ASocket, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        TBoundedStream stream(ASocket);
        for (std::size_t count = KeepAliveRequests; count > 0 && is_running(); --count) {
            // In slices, so that Stop() is not held up by an idle keep-alive connection.
            bool readable = false;
            for (int waited = 0; !readable && waited < KeepAliveTimeoutMs && is_running();
                 waited += 100)
                readable = stream.WaitReadable(100);
            if (!readable)
                break;
            stream.NewRequest();
            if (!ServeStream(stream, count == 1) || stream.Exhausted())
                break;
        }
        ::shutdown(ASocket, SHUT_RDWR);
        ::close(ASocket);
        return true;
    }
};

TExporterServer::TExporterServer(const TSampler& ASampler)
    : FSampler(ASampler), FServer(std::make_unique<TStreamServer>(ASampler, FReloadOk)) {}

TExporterServer::~TExporterServer() {
    Stop();
}

int TExporterServer::Bind(const std::string& AHost, int APort) {
    if (APort == 0) {
        const int port = FServer->bind_to_any_port(AHost);
        if (port > 0)
            return port;
    } else if (FServer->bind_to_port(AHost, APort)) {
        return APort;
    }
    throw std::runtime_error("Cannot listen on " + AHost + ":" + std::to_string(APort) +
                             ": the address is in use or not one of this machine's. Choose "
                             "another with --listen HOST:PORT.");
}

void TExporterServer::Run() {
    FServer->listen_after_bind();
}

void TExporterServer::Stop() {
    FServer->stop();
}

std::string ServeBytes(const TSampler& ASampler, const std::string& ARequest) {
    std::atomic<bool> reloadOk{true};
    TExporterServer::TStreamServer server(ASampler, reloadOk);
    TMemoryStream stream(ARequest);
    for (std::size_t count = KeepAliveRequests; count > 0 && !stream.AtEnd(); --count)
        if (!server.ServeStream(stream, count == 1))
            break;
    return stream.FOut;
}

} // namespace vexlorin::monitor
