#pragma once

#include "base/Exception.h"
#include "wmi/OleException.h"
#include "wmi/WbemServices.h"

#include <memory>
#include <string>
#include <vector>

// Answers every query with canned object texts and writes what it is asked into a log that
// the test shares (the component owns the fake).
class FakeWbemServices : public WbemServices {
public:
    explicit FakeWbemServices(std::shared_ptr<std::vector<std::string>> log = std::make_shared<std::vector<std::string>>())
        : Log(std::move(log))
    {
    }

    void ConnectServer(const std::string& host, const std::string& nameSpace) override
    {
        Log->push_back("connect " + host + " " + nameSpace);
        if (FailConnect)
            throw EOleException("Access is denied", 0x80070005, "Access is denied");
    }

    void ExecQuery(const std::string& query, const std::string& language,
                   const std::function<void(std::string)>& onObjectText) override
    {
        Log->push_back("query " + query + " " + language);
        const std::vector<std::string> texts = Answers.empty() ? std::vector<std::string>() : Answers.front();
        if (Answers.size() > 1)
            Answers.erase(Answers.begin());
        for (size_t i = 0; i < texts.size(); ++i) {
            if (static_cast<int>(i) == FailQueryAfter)
                throw EOleException("Generic failure", 0x80041001, "Generic failure");
            onObjectText(texts[i]);
        }
    }

    std::shared_ptr<std::vector<std::string>> Log;
    // The answer to each query in turn; the last one repeats.
    std::vector<std::vector<std::string>> Answers;
    bool FailConnect = false;
    // The query fails when it would hand over this item (counted from 0); -1 never.
    int FailQueryAfter = -1;
};
