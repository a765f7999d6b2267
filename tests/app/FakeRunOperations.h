#pragma once

#include "app/RunOperations.h"
#include "base/Exception.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

inline std::string ReadWhole(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FakeInventory : public DiskInventory {
public:
    int Count = 0;
    bool FailActivation = false;
    std::vector<bool> Assignments;

    void SetActive(bool active) override
    {
        Assignments.push_back(active);
        if (active && FailActivation)
            throw Exception("Access denied");
    }
    int ObjectsCount() const override { return Count; }
};

// Records the upload as the server would see it: the file's name and content at POST time.
class FakeUploader : public ReportUploader {
public:
    std::string Reply = "Thank you";
    std::string PostError;
    bool OpenFails = false;
    std::vector<std::string> Posted;
    std::string PostedContent;
    std::string PostedURL;

    class Upload : public PreparedUpload {
    public:
        Upload(FakeUploader& owner, std::string fileName) : owner_(owner), fileName_(std::move(fileName)) {}
        void Post(const std::string& url, TStream& reply) override
        {
            owner_.Posted.push_back(fileName_);
            owner_.PostedURL = url;
            owner_.PostedContent = ReadWhole(fileName_);
            if (!owner_.PostError.empty())
                throw Exception(owner_.PostError);
            reply.WriteBuffer(owner_.Reply.data(), static_cast<std::int32_t>(owner_.Reply.size()));
        }

    private:
        FakeUploader& owner_;
        std::string fileName_;
    };

    std::unique_ptr<PreparedUpload> Prepare(const std::string& fileName) override
    {
        if (OpenFails)
            throw EFOpenError("Cannot open file \"" + fileName + "\". Access is denied");
        return std::make_unique<Upload>(*this, fileName);
    }
};
