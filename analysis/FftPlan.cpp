#include "analysis/FftPlan.h"

#include <fftw3.h>

#include <mutex>

namespace vx {

namespace {
// The planner keeps global state; executing a plan is safe from any thread.
std::mutex plannerMutex;
}  // namespace

FftPlan::FftPlan(std::size_t length) : length_(length) {
    input_ = fftw_alloc_real(length);
    output_ = reinterpret_cast<std::complex<double>*>(fftw_alloc_complex(length / 2 + 1));
    std::lock_guard lock(plannerMutex);
    // Estimated plans cost microseconds to make and never scribble on the buffers.
    plan_ = fftw_plan_dft_r2c_1d(int(length), input_, reinterpret_cast<fftw_complex*>(output_), FFTW_ESTIMATE);
}

FftPlan::~FftPlan() {
    {
        std::lock_guard lock(plannerMutex);
        fftw_destroy_plan(plan_);
    }
    fftw_free(output_);
    fftw_free(input_);
}

std::span<const std::complex<double>> FftPlan::execute() {
    fftw_execute(plan_);
    return {output_, length_ / 2 + 1};
}

}  // namespace vx
