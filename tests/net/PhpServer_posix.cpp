#include "PhpServer.h"

#include "TestSocket.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

bool TPhpServer::Available()
{
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(path, folder, ':');)
        if (!folder.empty() && ::access((folder + "/php").c_str(), X_OK) == 0)
            return true;
    return false;
}

TPhpServer::TPhpServer(const std::string& docRoot, const std::string& dataFolder)
{
    testnet::Close(testnet::Listen(port_));
    const std::string address = "127.0.0.1:" + std::to_string(port_);
    const pid_t child = ::fork();
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, 1);
        ::dup2(quiet, 2);
        ::setenv("QM_RECEIVER_DATA", dataFolder.c_str(), 1);
        ::execlp("php", "php", "-d", "upload_max_filesize=64M", "-d", "post_max_size=64M", "-d", "display_errors=0", "-S",
                 address.c_str(), "-t", docRoot.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    process_ = child;
    for (int attempt = 0; attempt < 100 && !running_; ++attempt) {
        running_ = testnet::CanConnect(port_);
        if (!running_)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

TPhpServer::~TPhpServer()
{
    if (process_ > 0) {
        ::kill(static_cast<pid_t>(process_), SIGTERM);
        ::waitpid(static_cast<pid_t>(process_), nullptr, 0);
    }
}
