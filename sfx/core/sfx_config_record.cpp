// The SfxConfig record of this stub, unfilled: the marker, then
// zeros (completeness mark 0 = "never filled in"). mksfx finds the marker
// in the stub file and writes the record in place.
//
// This file is linked into the stub only (mksfx and the tests have no
// record), and nothing else in the stub spells the marker.
#include <cstdint>

#include "sfx/core/sfx_config.h"

// mksfx changes these bytes in the file, so the compiler must not fold the
// values it was built with into the code that reads them: they are read
// through a pointer it cannot see through (an empty asm statement). Not
// volatile, so that they lie with the read-only data (in the Windows stub a
// writable section of their own would cost a whole file sector).
extern "C" {
__attribute__((used)) const uint8_t gm_sfx_config_record[gm::sfx::kConfigRecordSize] = {
    'K', 'R', 'V', 0x01, 's', 'f', 'x', 0x02};
}

namespace gm::sfx {

SfxConfig embeddedConfig() {
    const uint8_t* record = gm_sfx_config_record;
    asm("" : "+r"(record));
    return decodeConfigRecord(record);
}

}  // namespace gm::sfx
