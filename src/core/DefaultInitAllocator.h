// An allocator whose resize() leaves new bytes uninitialised, for large buffers that are
// written before they are read (the record pool is 8 MB; zero-filling it would cost a load).
#pragma once

#include <memory>
#include <new>
#include <type_traits>

template <typename T>
class DefaultInitAllocator : public std::allocator<T>
{
public:
    template <typename U>
    struct rebind
    {
        using other = DefaultInitAllocator<U>;
    };

    using std::allocator<T>::allocator;

    template <typename U>
    void construct(U *p) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void *>(p)) U;  // default-initialisation: no zeroing for bytes
    }
    template <typename U, typename... Args>
    void construct(U *p, Args &&...args)
    {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }
};
