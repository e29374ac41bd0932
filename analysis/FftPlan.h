#pragma once
// A real-to-complex transform of one length, planned once and reused: the
// plan and its aligned buffers live as long as this object.
#include <complex>
#include <cstddef>
#include <span>

struct fftw_plan_s;

namespace vx {

class FftPlan {
public:
    explicit FftPlan(std::size_t length);
    ~FftPlan();
    FftPlan(const FftPlan&) = delete;
    FftPlan& operator=(const FftPlan&) = delete;

    std::size_t length() const { return length_; }
    // Where the caller puts its length() samples before execute().
    std::span<double> input() { return {input_, length_}; }
    // Bins 0..length/2 of the transform of input().
    std::span<const std::complex<double>> execute();

private:
    std::size_t length_;
    double* input_;
    std::complex<double>* output_;
    fftw_plan_s* plan_;
};

}  // namespace vx
