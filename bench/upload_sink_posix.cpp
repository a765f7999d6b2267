// qm-bench-sink: a loopback HTTP receiver that costs as little as possible, so an upload
// benchmark measures the client rather than the server's form parsing and disk writes.
//
//   qm-bench-sink PORT_FILE
//
// Listens on 127.0.0.1 at a free port, writes the port number to PORT_FILE, and then serves
// one connection at a time until it is killed: reads the request head, answers
// "100 Continue" when the client expects it (curl does for large bodies), reads and discards
// Content-Length bytes and answers 200 with the count it received, or 400 when the body
// ended early. Every request is closed after its answer.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

bool SendAll(int fd, const std::string& text)
{
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t n = send(fd, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// The value of header name in head (lower-case name, no colon), or empty.
std::string HeaderValue(const std::string& head, const char* name)
{
    size_t lineStart = head.find("\r\n");
    const size_t nameLength = std::strlen(name);
    while (lineStart != std::string::npos && lineStart + 2 < head.size()) {
        lineStart += 2;
        const size_t lineEnd = head.find("\r\n", lineStart);
        const std::string line = head.substr(lineStart, lineEnd - lineStart);
        if (line.size() > nameLength && line[nameLength] == ':' && strncasecmp(line.c_str(), name, nameLength) == 0) {
            const size_t value = line.find_first_not_of(' ', nameLength + 1);
            return value == std::string::npos ? std::string() : line.substr(value);
        }
        lineStart = lineEnd;
    }
    return {};
}

void Serve(int fd, std::vector<char>& buffer)
{
    std::string head;
    size_t headEnd = std::string::npos;
    while (headEnd == std::string::npos) {
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
        if (n <= 0)
            return;
        head.append(buffer.data(), static_cast<size_t>(n));
        headEnd = head.find("\r\n\r\n");
        if (headEnd == std::string::npos && head.size() > 65536)
            return;
    }
    const long long expected = std::atoll(HeaderValue(head, "content-length").c_str());
    long long received = static_cast<long long>(head.size() - (headEnd + 4));
    if (strncasecmp(HeaderValue(head, "expect").c_str(), "100-continue", 12) == 0 &&
        !SendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n"))
        return;
    while (received < expected) {
        const ssize_t n = recv(fd, buffer.data(), buffer.size(), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        received += n;
    }
    const std::string text = "received " + std::to_string(received) + " bytes\r\n";
    const std::string status = received == expected ? "200 OK" : "400 Bad Request";
    SendAll(fd, "HTTP/1.0 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                    std::to_string(text.size()) + "\r\nConnection: close\r\n\r\n" + text);
    shutdown(fd, SHUT_WR);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: qm-bench-sink PORT_FILE\n");
        return 2;
    }
    Socket listener(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener.Fd() < 0 || bind(listener.Fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener.Fd(), 16) != 0 ||
        getsockname(listener.Fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("qm-bench-sink: listen");
        return 1;
    }
    // Written to a new file and renamed, so a reader never sees half a number.
    const std::string portFile = argv[1];
    const std::string partial = portFile + ".part";
    {
        std::ofstream out(partial);
        out << ntohs(address.sin_port) << '\n';
        if (!out.flush()) {
            std::perror("qm-bench-sink: port file");
            return 1;
        }
    }
    if (std::rename(partial.c_str(), portFile.c_str()) != 0) {
        std::perror("qm-bench-sink: port file");
        return 1;
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        Socket client(accept(listener.Fd(), nullptr, nullptr));
        if (client.Fd() < 0) {
            if (errno == EINTR)
                continue;
            std::perror("qm-bench-sink: accept");
            return 1;
        }
        Serve(client.Fd(), buffer);
    }
}
