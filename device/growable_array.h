// A growable array of plain values for the device records: growth doubles the
// capacity (16 to start), failures are reported as result codes rather than
// thrown, and shrinking to 0 frees the storage.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <type_traits>

template <typename T>
class GrowableArray {
    static_assert(std::is_trivially_copyable<T>::value, "elements are moved as raw bytes");

public:
    GrowableArray() = default;
    ~GrowableArray() { std::free(data); }
    GrowableArray(const GrowableArray&) = delete;
    GrowableArray& operator=(const GrowableArray&) = delete;

    // Sets the number of elements. New elements are zero-filled; existing ones
    // keep their values. Negative sizes are refused.
    HRESULT SetSize(int newSize) {
        if (newSize < 0) return E_INVALIDARG;
        if (newSize == 0) {
            RemoveAll();
            return S_OK;
        }
        if (newSize > capacity) {
            HRESULT hr = Reserve(GrownCapacity(newSize));
            if (FAILED(hr)) return hr;
        }
        if (newSize > size) {
            std::memset(static_cast<void*>(data + size), 0, sizeof(T) * (newSize - size));
        }
        size = newSize;
        return S_OK;
    }

    HRESULT Add(const T& value) {
        if (size == std::numeric_limits<int>::max()) return E_OUTOFMEMORY;
        HRESULT hr = SetSize(size + 1);
        if (FAILED(hr)) return hr;
        data[size - 1] = value;
        return S_OK;
    }

    // The first index holding the value, or -1.
    int IndexOf(const T& value) const {
        for (int i = 0; i < size; ++i) {
            if (std::memcmp(&data[i], &value, sizeof(T)) == 0) return i;
        }
        return -1;
    }
    bool Contains(const T& value) const { return IndexOf(value) >= 0; }

    void RemoveAll() {
        std::free(data);
        data = nullptr;
        size = 0;
        capacity = 0;
    }

    int GetSize() const { return size; }
    int GetCapacity() const { return capacity; }
    T& operator[](int index) { return data[index]; }
    const T& operator[](int index) const { return data[index]; }
    T* begin() { return data; }
    T* end() { return data + size; }
    const T* begin() const { return data; }
    const T* end() const { return data + size; }

private:
    // The larger of the request and twice the old capacity (16 from empty),
    // limited so that the byte count cannot overflow.
    int GrownCapacity(int requested) const {
        const long long doubled = capacity == 0 ? 16 : 2LL * capacity;
        long long grown = doubled > requested ? doubled : requested;
        const long long limit = std::numeric_limits<int>::max();
        return static_cast<int>(grown > limit ? limit : grown);
    }

    HRESULT Reserve(int newCapacity) {
        if (static_cast<size_t>(newCapacity) > std::numeric_limits<size_t>::max() / sizeof(T)) {
            return E_OUTOFMEMORY;
        }
        void* grown = std::realloc(static_cast<void*>(data), sizeof(T) * newCapacity);
        if (!grown) return E_OUTOFMEMORY;
        data = static_cast<T*>(grown);
        capacity = newCapacity;
        return S_OK;
    }

    T* data = nullptr;
    int size = 0;
    int capacity = 0;
};
