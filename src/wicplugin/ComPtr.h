#pragma once
// An owning COM interface pointer: one reference, released exactly once, never copied by accident.
#include <unknwn.h>

#include <utility>

namespace velmira::wic {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.p_, nullptr));
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // The out-parameter of a creating call; whatever was held before is released first.
    T** put() noexcept {
        reset();
        return &p_;
    }

    void reset(T* p = nullptr) noexcept {
        T* old = std::exchange(p_, p);
        if (old) old->Release();
    }

private:
    T* p_ = nullptr;
};

}  // namespace velmira::wic
