#pragma once
// One channel's input of the simulated kit, written as text:
//
//   CHANNEL=KIND:ITEM,ITEM,...
//
//   4=sine:1000Hz,-1dBFS,noise=0.5,h3=-70dBc
//   0=level:1.25V,noise=2
//   2=ramp:0.5V/s,offset=0.1V
//
// CHANNEL is 0..7. KIND is level, ramp or sine. An ITEM is a number with its
// unit, or NAME=VALUE:
//   level   one voltage, e.g. 1.25V
//   ramp    volts per second, e.g. 0.5V/s; it starts from offset
//   sine    a frequency in Hz and an amplitude, either peak volts (1.5V) or
//           against full scale (-1dBFS: full scale is a peak of Vref/2); it
//           swings about offset, which is mid-scale (Vref/2) unless given
//   offset=VOLTS       the level a ramp starts from or a sine swings about
//   noise=LSB          Gaussian noise of that RMS, in code steps (any kind)
//   h2=DBC .. h6=DBC   harmonic distortion of a sine, against the sine, e.g. h3=-70dBc
// Numbers use "." whatever the locale.
#include <optional>
#include <string>
#include <string_view>

#include "sim/AnalogInputs.h"

namespace vx {

struct ChannelInput {
    int channel = 0;
    InputSignal signal;
};

// The input the text describes, or nothing with error saying what is wrong.
std::optional<ChannelInput> ParseInputSpec(std::string_view text, std::string& error);

}  // namespace vx
