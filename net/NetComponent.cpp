#include "net/NetComponent.h"

#include "net/SocketStack.h"

#include <memory>
#include <mutex>

namespace {

struct TStackHolder {
    std::mutex lock;
    int components = 0;
    std::unique_ptr<TSocketStack> stack;
};

TStackHolder& Holder()
{
    static TStackHolder holder;
    return holder;
}

} // namespace

TNetComponent::TNetComponent()
{
    TStackHolder& holder = Holder();
    const std::lock_guard<std::mutex> guard(holder.lock);
    if (holder.components == 0)
        holder.stack = NewPlatformStack();
    ++holder.components;
}

TNetComponent::~TNetComponent()
{
    TStackHolder& holder = Holder();
    const std::lock_guard<std::mutex> guard(holder.lock);
    if (--holder.components == 0)
        holder.stack.reset();
}

void TNetComponent::ReportStatus(TConnectionStatus status, const std::string& text)
{
    if (OnStatus)
        OnStatus(*this, status, text);
}

TSocketStack& SocketStack()
{
    return *Holder().stack;
}
