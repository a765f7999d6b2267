#include "PhpReceiver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

sockaddr_in Loopback(int port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int FreePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

bool Accepts(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Loopback(port);
    const bool connected = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return connected;
}

} // namespace

PhpReceiver::PhpReceiver() : port_(FreePort())
{
    char folder[] = "/tmp/qm-receiver-XXXXXX";
    dataFolder_ = ::mkdtemp(folder);
    const std::string listen = "127.0.0.1:" + std::to_string(port_);
    const std::string root = QM_SOURCE_DIR "/server";
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setenv("QM_RECEIVER_DATA", dataFolder_.c_str(), 1);
        ::freopen("/dev/null", "w", stderr);
        ::execlp("php", "php", "-d", "upload_max_filesize=64M", "-d", "post_max_size=64M", "-S", listen.c_str(),
                 "-t", root.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int attempt = 0; attempt < 100 && !Accepts(port_); ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

PhpReceiver::~PhpReceiver()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    std::filesystem::remove_all(dataFolder_);
}

std::string PhpReceiver::UploadURL() const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/vellumbox/upload.php";
}

std::string PhpReceiver::OnlyStoredReport() const
{
    std::string content;
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dataFolder_)) {
        std::ifstream in(entry.path(), std::ios::binary);
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        ++count;
    }
    return count == 1 ? content : "stored reports: " + std::to_string(count);
}
