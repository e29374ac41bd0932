#pragma once
// A growable array whose valid indices need not start at 0. Writing to any
// integer index grows the buffer on that side; every element keeps its index.
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "support/Exceptions.h"

namespace vx {

// Serial numbers shared by every OffsetArray and GraphChannel in the process,
// starting at 0.
std::uint32_t NextInstanceId();

template <typename T>
class OffsetArray {
public:
    OffsetArray() : id_(NextInstanceId()) {}

    // A copy is a full duplicate, serial number included.
    OffsetArray(const OffsetArray& other) : id_(other.id_) { CopyFrom(other); }
    OffsetArray& operator=(const OffsetArray& other) {
        if (this != &other) CopyFrom(other);
        return *this;
    }
    // A move hands the buffer over and leaves the source empty.
    OffsetArray(OffsetArray&& other) noexcept : id_(other.id_) { TakeFrom(other); }
    OffsetArray& operator=(OffsetArray&& other) noexcept {
        if (this != &other) TakeFrom(other);
        return *this;
    }
    ~OffsetArray() = default;

    // Grows as needed and marks i as touched.
    T& operator[](int i) {
        if (capacity_ == 0) {
            const std::int64_t n = std::int64_t(growStep_) + 1;
            if (!Grow(n, Side::Right))
                throw Exception("OffsetArray initial allocation (size " + std::to_string(n) + ") failed");
            origin_ = i;
            inUse_ = true;
            low_ = high_ = i;
        } else if (i >= origin_ && std::int64_t(i) - origin_ >= capacity_) {
            const std::int64_t n = std::int64_t(i) - origin_ + growStep_ + 1;
            const int old = capacity_;
            if (!Grow(n, Side::Right))
                throw Exception("OffsetArray right index expansion (resize from " + std::to_string(old) + " to " +
                                std::to_string(n) + ") failed");
        } else if (i < origin_) {
            const std::int64_t n = std::int64_t(origin_) - i + capacity_ + growStep_ + 1;
            const int old = capacity_;
            // The new origin must itself be a valid index.
            const std::int64_t newOrigin = std::int64_t(origin_) - (n - old);
            if (newOrigin < std::numeric_limits<int>::min() || !Grow(n, Side::Left))
                throw Exception("OffsetArray left index insertion (resize from " + std::to_string(old) + " to " +
                                std::to_string(n) + ") failed");
            origin_ = int(newOrigin);
        }
        if (!inUse_) {
            low_ = high_ = i;
            inUse_ = true;
        } else {
            if (i < low_) low_ = i;
            if (i > high_) high_ = i;
        }
        return buffer_[std::size_t(std::int64_t(i) - origin_)];
    }

    // Reads an allocated slot without growing or touching anything.
    const T& operator[](int i) const {
        if (!IsAllocated(i))
            throw std::out_of_range("OffsetArray index " + std::to_string(i) + " outside the allocated slots");
        return buffer_[std::size_t(std::int64_t(i) - origin_)];
    }

    bool IsAllocated(int i) const { return capacity_ > 0 && i >= origin_ && std::int64_t(i) - origin_ < capacity_; }

    // Number of indices from Low to High; 0 before any index is touched.
    int Count() const { return capacity_ == 0 || !inUse_ ? 0 : high_ - low_ + 1; }

    // Grows to n slots, existing slots first. An array without a buffer is
    // anchored at origin 0 and stays unused.
    bool ReserveRight(int n) { return Grow(n, Side::Right); }
    // Grows to n slots, existing slots at the end. The origin is the caller's.
    bool ReserveLeft(int n) { return Grow(n, Side::Left); }

    // Releases the buffer; only the growth step survives.
    void Reset() {
        buffer_.reset();
        capacity_ = origin_ = low_ = high_ = 0;
        inUse_ = false;
    }

    // Stores v in every allocated slot; the range in use does not change.
    void Fill(const T& v) {
        for (int k = 0; k < capacity_; ++k) buffer_[k] = v;
    }

    std::uint32_t Id() const { return id_; }
    int Capacity() const { return capacity_; }
    int Origin() const { return origin_; }
    bool InUse() const { return inUse_; }
    int Low() const { return low_; }
    int High() const { return high_; }
    int GrowStep() const { return growStep_; }
    // A negative step would leave the first write without a slot; it counts as 0.
    void SetGrowStep(int step) { growStep_ = step < 0 ? 0 : step; }

private:
    enum class Side { Left, Right };

    static std::unique_ptr<T[]> Allocate(std::int64_t n) noexcept {
        if (n <= 0 || n > std::numeric_limits<int>::max()) return nullptr;
        try {
            return std::unique_ptr<T[]>(new (std::nothrow) T[std::size_t(n)]());
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }

    // On failure (false, or an exception from copying an element) nothing changes.
    bool Grow(std::int64_t n, Side side) {
        if (n <= capacity_) return true;
        std::unique_ptr<T[]> fresh = Allocate(n);
        if (!fresh) return false;
        if (side == Side::Right) {
            if (capacity_ < 1) {
                origin_ = low_ = high_ = 0;
                inUse_ = false;
            }
            for (int k = 0; k < capacity_; ++k) fresh[k] = buffer_[k];
        } else {
            const std::int64_t added = n - capacity_;
            for (int k = 0; k < capacity_; ++k) fresh[std::size_t(added + k)] = buffer_[k];
        }
        buffer_ = std::move(fresh);
        capacity_ = int(n);
        return true;
    }

    void CopyFrom(const OffsetArray& other) {
        std::unique_ptr<T[]> copy;
        if (other.capacity_ != 0) {
            copy = Allocate(other.capacity_);
            if (!copy) throw Exception("OffsetArray operator= memory allocation failed");
            for (int k = 0; k < other.capacity_; ++k) copy[k] = other.buffer_[k];
        }
        id_ = other.id_;
        buffer_ = std::move(copy);
        capacity_ = other.capacity_;
        origin_ = other.origin_;
        inUse_ = other.inUse_;
        growStep_ = other.growStep_;
        low_ = other.low_;
        high_ = other.high_;
    }

    void TakeFrom(OffsetArray& other) noexcept {
        id_ = other.id_;
        buffer_ = std::move(other.buffer_);
        capacity_ = other.capacity_;
        origin_ = other.origin_;
        inUse_ = other.inUse_;
        growStep_ = other.growStep_;
        low_ = other.low_;
        high_ = other.high_;
        other.Reset();
    }

    std::uint32_t id_;
    std::unique_ptr<T[]> buffer_;
    int capacity_ = 0;
    int origin_ = 0;
    bool inUse_ = false;
    int growStep_ = 0;
    int low_ = 0;
    int high_ = 0;
};

}  // namespace vx
