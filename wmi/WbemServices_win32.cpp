#include "wmi/WbemServices.h"

#include "base/Exception.h"
#include "base/SystemError.h"
#include "wmi/EnumeratedItems.h"
#include "wmi/OleException.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <wbemdisp.h>

#include <utility>

// The WMI scripting objects are used through the interfaces the platform headers declare for
// the WMI scripting type library (early binding, vtable calls). Their identifiers are written
// out here so that no import library is needed for them.

namespace {

constexpr CLSID ClsidSWbemLocator = {0x76A64158, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
constexpr IID IidISWbemLocator = {0x76A6415B, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
constexpr IID IidISWbemObject = {0x76A6415A, 0xCB41, 0x11D1, {0x8B, 0x02, 0x00, 0x60, 0x08, 0x06, 0xD9, 0xB6}};
constexpr IID IidIEnumVARIANT = {0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// One counted reference to a COM object, released when it goes.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            Reset();
            pointer_ = std::exchange(other.pointer_, nullptr);
        }
        return *this;
    }

    T* operator->() const { return pointer_; }
    T& operator*() const { return *pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For an out-parameter: drops the reference held, then receives the new one.
    T** Receive()
    {
        Reset();
        return &pointer_;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    void Reset()
    {
        if (pointer_)
            std::exchange(pointer_, nullptr)->Release();
    }

private:
    T* pointer_ = nullptr;
};

std::string ToAnsi(const wchar_t* text, UINT length)
{
    if (!text || length == 0)
        return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), ansi.data(), size, nullptr, nullptr);
    return ansi;
}

std::wstring ToWide(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

// A COM string, freed when it goes. An empty text is the null string.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::string& text)
    {
        const std::wstring wide = ToWide(text);
        if (!wide.empty())
            value_ = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    }
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR Get() const { return value_; }
    BSTR* Receive()
    {
        SysFreeString(std::exchange(value_, nullptr));
        return &value_;
    }
    std::string ToAnsi() const { return ::ToAnsi(value_, SysStringLen(value_)); }

private:
    BSTR value_ = nullptr;
};

// A VARIANT, cleared when it goes.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* Get() { return &value_; }
    // The interface the value holds, if it is an object at all.
    IUnknown* Object() const
    {
        if (value_.vt == VT_DISPATCH)
            return value_.pdispVal;
        if (value_.vt == VT_UNKNOWN)
            return value_.punkVal;
        return nullptr;
    }

private:
    VARIANT value_;
};

// The description the failing object left through the error-information mechanism, if any.
std::string ErrorInfoDescription()
{
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Receive()) != S_OK || !info)
        return {};
    Bstr description;
    if (FAILED(info->GetDescription(description.Receive())))
        return {};
    return description.ToAnsi();
}

[[noreturn]] void RaiseOleError(HRESULT result)
{
    const auto code = static_cast<std::uint32_t>(result);
    std::string description = TrimSystemMessage(ErrorInfoDescription());
    std::string message = OleErrorMessage(description, SysErrorMessage(code), code);
    throw EOleException(std::move(message), code, std::move(description));
}

// Makes one COM call and raises EOleException when it fails. Error information left over from
// an earlier call is cleared first, so the description always belongs to this call.
template <class Call>
void OleCheck(Call&& call)
{
    SetErrorInfo(0, nullptr);
    const HRESULT result = call();
    if (FAILED(result))
        RaiseOleError(result);
}

class ComWbemServices : public WbemServices {
public:
    void ConnectServer(const std::string& host, const std::string& nameSpace) override
    {
        ComPtr<ISWbemLocator> locator;
        OleCheck([&] {
            return CoCreateInstance(ClsidSWbemLocator, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IidISWbemLocator, locator.ReceiveVoid());
        });
        const Bstr server(host);
        const Bstr path(nameSpace);
        ComPtr<ISWbemServices> services;
        OleCheck([&] {
            return locator->ConnectServer(server.Get(), path.Get(), nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                                          services.Receive());
        });
        services_ = std::move(services);
    }

    void ExecQuery(const std::string& query, const std::string& language,
                   const std::function<void(std::string objectText)>& onObjectText) override
    {
        if (!services_)
            throw Exception("Not connected to the WMI service");
        const Bstr queryText(query);
        const Bstr queryLanguage(language);
        ComPtr<ISWbemObjectSet> objects;
        // Flags 0: synchronous, the call returns with the result set complete.
        OleCheck([&] { return services_->ExecQuery(queryText.Get(), queryLanguage.Get(), 0, nullptr, objects.Receive()); });
        ComPtr<IUnknown> enumerator;
        OleCheck([&] { return objects->get__NewEnum(enumerator.Receive()); });
        ComPtr<IEnumVARIANT> items;
        OleCheck([&] { return enumerator->QueryInterface(IidIEnumVARIANT, items.ReceiveVoid()); });
        ForEachEnumeratedItem(*items, [&](IUnknown& item) {
            ComPtr<ISWbemObject> object;
            OleCheck([&] { return item.QueryInterface(IidISWbemObject, object.ReceiveVoid()); });
            Bstr text;
            OleCheck([&] { return object->GetObjectText_(0, text.Receive()); });
            onObjectText(text.ToAnsi());
        });
    }

private:
    ComPtr<ISWbemServices> services_;
};

} // namespace

void ForEachEnumeratedItem(IEnumVARIANT& enumerator, const std::function<void(IUnknown& item)>& onItem)
{
    for (;;) {
        Variant item;
        ULONG fetched = 0;
        SetErrorInfo(0, nullptr);
        const HRESULT answer = enumerator.Next(1, item.Get(), &fetched);
        if (answer == S_FALSE)
            return;
        if (answer != S_OK)
            RaiseOleError(answer);
        IUnknown* object = item.Object();
        if (!object)
            RaiseOleError(DISP_E_TYPEMISMATCH);
        onItem(*object);
    }
}

std::unique_ptr<WbemServices> CreateSystemWbemServices()
{
    return std::make_unique<ComWbemServices>();
}
