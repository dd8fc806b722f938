#include "core/nice_steps.h"

#include <cmath>

namespace korvel {

StepChoice ChooseStep(double span) {
  const double target = span / 5;
  StepChoice choice;
  for (size_t k = 0; k < NiceSteps.size(); ++k) {
    if (std::fabs(target - NiceSteps[k]) < choice.step) {
      choice.step = NiceSteps[k];
      choice.index = static_cast<int32_t>(k + 1);
    }
  }
  return choice;
}

}  // namespace korvel
