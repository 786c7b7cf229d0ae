// The SfxConfig record of this stub, unfilled: the marker, then
// zeros (completeness mark 0 = "never filled in"). mksfx finds the marker
// in the stub file and writes the record in place.
//
// This file is linked into the stub only (mksfx and the tests have no
// record), and nothing else in the stub spells the marker.
#include <cstdint>

#include "sfx/core/sfx_config.h"

// Volatile: mksfx changes these bytes in the file, so the compiler must not
// fold the values it was built with into the code that reads them.
extern "C" {
__attribute__((used)) volatile uint8_t gm_sfx_config_record[gm::sfx::kConfigRecordSize] = {
    'K', 'R', 'V', 0x01, 's', 'f', 'x', 0x02};
}

namespace gm::sfx {

SfxConfig embeddedConfig() {
    uint8_t copy[kConfigRecordSize];
    for (size_t i = 0; i < kConfigRecordSize; ++i) copy[i] = gm_sfx_config_record[i];
    return decodeConfigRecord(copy);
}

}  // namespace gm::sfx
