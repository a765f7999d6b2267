// The enumeration of a WMI object set through the COM back end, driven by an enumerator that
// answers as a WMI service in trouble can: a failure after some disks (the service stopped, the
// connection dropped, a quota reached) must raise its error, never pass for the end of the list.

#include "wmi/EnumeratedItems.h"
#include "wmi/OleException.h"

#include "base/SystemError.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace {

constexpr HRESULT WbemGenericFailure = static_cast<HRESULT>(0x80041001);
constexpr HRESULT WbemTimedOut = 0x00040004;

// One answer of the enumerator: its result, whether it hands over an object, and the description
// it leaves through the error-information mechanism.
struct Answer {
    HRESULT result;
    bool object;
    const wchar_t* description = nullptr;
};

void LeaveErrorDescription(const wchar_t* description)
{
    ICreateErrorInfo* creator = nullptr;
    if (FAILED(CreateErrorInfo(&creator)))
        return;
    creator->SetDescription(const_cast<wchar_t*>(description));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(creator->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    }
    creator->Release();
}

// Gives its answers in order, each object being the enumerator itself; it lives on the stack, so
// counting references is not needed.
class ScriptedEnumerator : public IEnumVARIANT {
public:
    explicit ScriptedEnumerator(std::vector<Answer> answers) : answers_(std::move(answers)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid != IID_IUnknown && iid != IID_IEnumVARIANT) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE Next(ULONG, VARIANT* item, ULONG* fetched) override
    {
        *fetched = 0;
        if (next_ == answers_.size())
            return S_FALSE;
        const Answer& answer = answers_[next_++];
        if (answer.description)
            LeaveErrorDescription(answer.description);
        if (answer.result == S_OK) {
            *fetched = 1;
            if (answer.object) {
                item->vt = VT_UNKNOWN;
                item->punkVal = this;
            }
        }
        return answer.result;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

private:
    std::vector<Answer> answers_;
    size_t next_ = 0;
};

} // namespace

TEST(EnumeratedItems, EveryAnswerButTheEndOfTheListIsAnError)
{
    const Answer disk {S_OK, true};
    struct Case {
        const char* what;
        std::vector<Answer> answers;
        int itemsBefore;
        // The error's text; empty when the list ends without one.
        std::string error;
    };
    const Case cases[] = {
        {"the end of the list", {disk, disk, {S_FALSE, false}}, 2, ""},
        {"a failure with a description", {disk, {WbemGenericFailure, false, L"Quota violation. "}}, 1,
         "Quota violation"},
        {"a failure without one", {disk, disk, {RPC_E_DISCONNECTED, false}}, 2,
         OleErrorMessage("", SysErrorMessage(static_cast<std::uint32_t>(RPC_E_DISCONNECTED)),
                         static_cast<std::uint32_t>(RPC_E_DISCONNECTED))},
        {"a success that is not an item", {disk, {WbemTimedOut, false}}, 1,
         OleErrorMessage("", SysErrorMessage(WbemTimedOut), WbemTimedOut)},
        {"an item that is no object", {disk, {S_OK, false}}, 1,
         OleErrorMessage("", SysErrorMessage(static_cast<std::uint32_t>(DISP_E_TYPEMISMATCH)),
                         static_cast<std::uint32_t>(DISP_E_TYPEMISMATCH))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedEnumerator enumerator(c.answers);
        int items = 0;
        std::string error;
        try {
            ForEachEnumeratedItem(enumerator, [&](IUnknown& item) {
                EXPECT_EQ(&item, static_cast<IUnknown*>(&enumerator));
                ++items;
            });
        } catch (const EOleException& e) {
            error = e.Message;
        }
        EXPECT_EQ(items, c.itemsBefore);
        EXPECT_EQ(error, c.error);
    }
}
