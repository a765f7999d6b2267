#include "net/IdComponent.h"

#include "net/IdStack.h"

#include <memory>
#include <mutex>

namespace {

struct TStackHolder {
    std::mutex lock;
    int components = 0;
    std::unique_ptr<TIdStack> stack;
};

TStackHolder& Holder()
{
    static TStackHolder holder;
    return holder;
}

} // namespace

TIdComponent::TIdComponent()
{
    TStackHolder& holder = Holder();
    const std::lock_guard<std::mutex> guard(holder.lock);
    if (holder.components == 0)
        holder.stack = NewPlatformStack();
    ++holder.components;
}

TIdComponent::~TIdComponent()
{
    TStackHolder& holder = Holder();
    const std::lock_guard<std::mutex> guard(holder.lock);
    if (--holder.components == 0)
        holder.stack.reset();
}

void TIdComponent::DoStatus(TIdStatus status, const std::string& text)
{
    if (OnStatus)
        OnStatus(*this, status, text);
}

TIdStack& GStack()
{
    return *Holder().stack;
}
