// Reading MOD modules: the published layout with 31 samples and four-byte
// cells, 4 to 99 channels named by the signature at offset 1080.
#pragma once

#include <string>
#include <string_view>

#include "sound/module.h"

namespace tarvolin::sound {

// Channel count named by the 4-byte signature: "6CHN" 6, "16CH" 16, else 4.
int modChannelsFromSignature(std::string_view signature);

// Whether the bytes hold a MOD header: the header is there, the song has
// 1..128 positions naming patterns below 128, and each sample's finetune
// byte is 0..15.
bool looksLikeMod(std::string_view bytes);

// Reads a MOD from memory into `out`. Fields that point past the data are cut
// to what the data holds; false when the bytes hold no MOD header.
bool readMod(std::string_view bytes, MusicModule& out);
bool loadMod(const std::string& path, MusicModule& out);

}  // namespace tarvolin::sound
