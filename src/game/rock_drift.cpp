#include "cave/cave.h"
#include "game/frame_loop.h"
#include "platform/random.h"

namespace {

// A component wanders by -1, 0 or +1 under a leader at 255. When it reaches 255 it takes over
// the lead and the old leader steps down, so one component always stays full.
void StepComponent(std::int32_t& value, std::int32_t& leader) {
    value += RandomUpTo(2) - 1;
    if (value < 192) value = 192;
    if (value >= 255) {
        --leader;
        value = 255;
    }
}

}  // namespace

void DriftRockColour() {
    RgbColour& rock = Look.RockColour;
    if (rock.Red == 255) {
        StepComponent(rock.Green, rock.Red);
        StepComponent(rock.Blue, rock.Red);
    }
    if (rock.Green == 255) {
        StepComponent(rock.Red, rock.Green);
        StepComponent(rock.Blue, rock.Green);
    }
    if (rock.Blue == 255) {
        StepComponent(rock.Red, rock.Blue);
        StepComponent(rock.Green, rock.Blue);
    }
}
