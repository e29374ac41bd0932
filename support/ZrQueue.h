#pragma once
// A fixed-length circular queue of readings with running sum, sum of squares,
// mean and rms. It is always full: it starts with Length zeros, and each Add
// replaces the oldest value. Errors are PlainTextError with the message text.
#include <cstdint>
#include <vector>

namespace vx {

class TZrQueue {
public:
    // Length 10, every slot 0.0. Owned by value; no owner object is involved.
    TZrQueue();
    // Declared so that a move falls back to a copy: no queue is ever left
    // without its array.
    TZrQueue(const TZrQueue&) = default;
    TZrQueue& operator=(const TZrQueue&) = default;

    std::uint16_t Length() const { return length_; }
    // Resizes keeping the newest values; when growing, the history is extended
    // backwards with copies of the oldest value. Mean and Rms keep their values
    // until the next Add or Clear.
    void SetLength(std::uint16_t newLength);

    // Running sums, adjusted by each Add; callers may overwrite them.
    double Sum() const { return sum_; }
    void SetSum(double sum) { sum_ = sum; }
    double SumSquares() const { return sumSquares_; }
    void SetSumSquares(double sumSquares) { sumSquares_ = sumSquares; }

    // As of the last Add or Clear.
    double Mean() const { return mean_; }
    double Rms() const { return rms_; }

    // The slot that the next Add writes, which holds the oldest value.
    std::uint16_t PhysicalIndex() const { return physicalIndex_; }
    // Values of Length or more are taken modulo Length, so the index stays valid.
    void SetPhysicalIndex(std::uint16_t index) { physicalIndex_ = index % length_; }

    void Clear(double fill);
    void Add(double value);

    double GetMin() const;
    double GetMax() const;
    // Index 0 is the oldest value, 1 the newest, 2 the one before it, and so on.
    double GetOldest(std::int32_t index) const;
    double GetPhysical(std::int32_t slot) const;

private:
    void RequireData() const;

    std::vector<double> data_;
    std::uint16_t physicalIndex_ = 0;
    std::uint16_t length_ = 10;
    double sum_ = 0.0;
    double sumSquares_ = 0.0;
    double mean_ = 0.0;
    double rms_ = 0.0;
};

}  // namespace vx
