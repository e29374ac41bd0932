#include "support/ZrQueue.h"

#include <cmath>
#include <new>

#include "support/Exceptions.h"

namespace vx {

TZrQueue::TZrQueue() {
    try {
        data_.assign(length_, 0.0);
    } catch (const std::bad_alloc&) {
        throw PlainTextError("TZrQueue cannot allocate its data array");
    }
}

void TZrQueue::RequireData() const {
    if (data_.empty()) throw PlainTextError("TZrQueue null data array");
}

void TZrQueue::SetLength(std::uint16_t newLength) {
    if (newLength < 1) throw PlainTextError("TZrQueue SetLength out of range");
    if (newLength == length_) return;

    std::vector<double> resized;
    try {
        resized.resize(newLength);
    } catch (const std::bad_alloc&) {
        throw PlainTextError("TZrQueue cannot reallocate its data array");
    }

    const bool shrinking = newLength < length_;
    // Shrinking skips the oldest values; growing starts at the oldest.
    std::uint32_t source = shrinking ? (physicalIndex_ + length_ - newLength) % length_ : physicalIndex_;
    double sum = 0.0;
    double sumSquares = 0.0;
    for (std::uint32_t k = 0; k < newLength; ++k) {
        const double value = data_[source];
        resized[k] = value;
        sum += value;
        sumSquares += value * value;
        // After one full turn the source rests on the oldest value, which fills
        // the extra slots of a grown queue.
        if (k < length_ && ++source == length_) source = 0;
    }

    data_.swap(resized);
    physicalIndex_ = shrinking ? 0 : length_;
    length_ = newLength;
    sum_ = sum;
    sumSquares_ = sumSquares;
}

void TZrQueue::Clear(double fill) {
    RequireData();
    data_.assign(length_, fill);
    physicalIndex_ = 0;
    sum_ = length_ * fill;
    sumSquares_ = fill * fill * length_;
    mean_ = fill;
    rms_ = std::fabs(fill);
}

void TZrQueue::Add(double value) {
    RequireData();
    const double outgoing = data_[physicalIndex_];
    data_[physicalIndex_] = value;
    if (++physicalIndex_ == length_) physicalIndex_ = 0;

    // Two separate roundings each, in this order, so results match step by step.
    sum_ = sum_ + value;
    sum_ = sum_ - outgoing;
    sumSquares_ = value * value + sumSquares_;
    sumSquares_ = sumSquares_ - outgoing * outgoing;

    mean_ = sum_ / length_;
    const double meanSquare = sumSquares_ / length_;
    // Accumulated rounding can leave the sum of squares slightly negative.
    rms_ = meanSquare > 0.0 ? std::sqrt(meanSquare) : 0.0;
}

double TZrQueue::GetMin() const {
    RequireData();
    double min = data_[0];
    for (std::uint16_t i = 1; i < length_; ++i)
        if (data_[i] < min) min = data_[i];
    return min;
}

double TZrQueue::GetMax() const {
    RequireData();
    double max = data_[0];
    for (std::uint16_t i = 1; i < length_; ++i)
        if (data_[i] > max) max = data_[i];
    return max;
}

double TZrQueue::GetOldest(std::int32_t index) const {
    if (index < 0 || index >= length_) throw PlainTextError("TZrQueue GetOldest[index out of range]");
    std::int32_t slot = physicalIndex_ - index;
    while (slot < 0) slot += length_;
    return data_[slot % length_];
}

double TZrQueue::GetPhysical(std::int32_t slot) const {
    if (slot < 0 || slot >= length_) throw PlainTextError("TZrQueue GetPhysical[index out of range]");
    return data_[slot];
}

}  // namespace vx
