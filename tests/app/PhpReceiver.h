#pragma once

#include <string>

// The reference receiver under PHP's built-in server on a free loopback port, storing reports
// in a fresh folder; stopped when the object goes.
class PhpReceiver {
public:
    PhpReceiver();
    ~PhpReceiver();
    PhpReceiver(const PhpReceiver&) = delete;
    PhpReceiver& operator=(const PhpReceiver&) = delete;

    bool Running() const { return pid_ > 0; }
    std::string UploadURL() const;
    // The reports stored so far, each as its whole content.
    std::string OnlyStoredReport() const;

private:
    int port_ = 0;
    int pid_ = -1;
    std::string dataFolder_;
};
