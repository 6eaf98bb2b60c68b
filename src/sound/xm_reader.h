// Reading XM ("Extended Module") modules as the published layout describes:
// header, packed patterns, instruments with envelopes and delta-coded 8- and
// 16-bit samples. The volume column becomes an ordinary effect on loading.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sound/module.h"

namespace tarvolin::sound {

// The effect (effect, parameter) a volume-column byte stands for; false for
// bytes that do nothing.
bool volumeColumnEffect(std::uint8_t column, std::uint8_t& effect, std::uint8_t& parameter);

// Reads an XM from memory into `out`. Every size and count is checked against
// the data: what lies past the end is cut or left empty. false when the
// identification text or the fixed header is missing.
bool readXm(std::string_view bytes, MusicModule& out);
// Whether the bytes begin with the XM identification text "Extended Module: ".
bool isXmData(std::string_view bytes);
bool loadXm(const std::string& path, MusicModule& out);

}  // namespace tarvolin::sound
