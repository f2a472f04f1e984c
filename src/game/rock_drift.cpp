#include "game/rock_drift.h"

#include "cave/cave.h"
#include "platform/random.h"

namespace {

// A component wanders by -1, 0 or +1 under a leader at 255. When it reaches 255 it takes over
// the lead and the old leader steps down, so one component always stays full.
void StepComponent(std::int32_t& value, std::int32_t& leader) {
    value += RandomUpTo(2) - 1;
    if (value < kRockComponentLow) value = kRockComponentLow;
    if (value >= kRockComponentHigh) {
        --leader;
        value = kRockComponentHigh;
    }
}

}  // namespace

void DriftRockColour() {
    RgbColour& rock = Look.RockColour;
    if (rock.Red == kRockComponentHigh) {
        StepComponent(rock.Green, rock.Red);
        StepComponent(rock.Blue, rock.Red);
    }
    if (rock.Green == kRockComponentHigh) {
        StepComponent(rock.Red, rock.Green);
        StepComponent(rock.Blue, rock.Green);
    }
    if (rock.Blue == kRockComponentHigh) {
        StepComponent(rock.Red, rock.Blue);
        StepComponent(rock.Green, rock.Blue);
    }
}
