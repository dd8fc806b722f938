// The user guide in a window of its own, opened at a topic.
#pragma once

#include <string>

class QWidget;

namespace korvel::gui {

// Shows the user guide beside parent, at the section whose heading reads
// topic (the guide's start when none does).
void ShowUserGuide(QWidget* parent, const std::string& topic);

}  // namespace korvel::gui
