// What screen readers and keyboard users need from the test window: every named control with
// its accessible name and description, in the order a student works through a question.
#include <QString>

#include "engine/dotest.h"
#include "ui/accessibility.h"
#include "ui/do_test_window.h"
#include "ui/qtext.h"

namespace examora {
namespace {

constexpr AccessibleControl kDoTest[] = {
    {"lblStem", "Question", "The question on screen"},
    {"lblNotAssessed", "Not assessed", "Why this question offers nothing to answer"},
    {"txtAnswer", "Answer", "Type the number, then press Enter"},
    {"cmdOK", "Mark the number", "Hand in the number and its unit", 'O'},
    {"List1", "Prefix", "The prefix of the unit; arrow keys choose"},
    {"List2", "Units", "The unit of the answer; arrow keys choose"},
    {"ListRecent", "Recent units", "Units used before; arrow keys choose one again"},
    {"opt1", "Option 1", "A possible answer"},
    {"opt2", "Option 2", "A possible answer"},
    {"opt3", "Option 3", "A possible answer"},
    {"opt4", "Option 4", "A possible answer"},
    {"opt5", "Option 5", "A possible answer"},
    {"opt6", "Option 6", "A possible answer"},
    // Shown beside cmdSubmit, so its own letter.
    {"cmd_OK2", "Mark the ticks", "Hand in the ticked boxes", 'K'},
    {"cmd_OK3", "Mark the words", "Hand in the words typed", 'M'},
    {"cmd_OK4", "Mark the matches", "Hand in the matching labels", 'M'},
    {"cmdSubmit", "Mark", "Hand in the option chosen or the boxes ticked", 'M'},
    {"cmdBack", "Previous question", "Go back to the previous question not yet marked", 'B'},
    {"cmdNext", "Next question", "Go to the next question not yet marked", 'N'},
    {"cmdZoomUp", "Zoom in", "Enlarge the graph"},
    {"cmdZoomDown", "Zoom out", "Show more of the graph"},
    {"cmdInfo", "Get information", "Open the information page", 'I'},
    {"cmdConvert", "Convert units", "Open the unit converter", 'C'},
    {"cmdQuit", "End the test", "End the test without doing every question", 'E'},
    {"cmdSaveUSB", "Save to USB", "Save the results for carrying on elsewhere", 'S'},
    {"cmdQuitAll", "Quit", "Close the program", 'Q'},
    {"Frame_numerical", "Number answer", "The number and its unit"},
    {"Frame_Answer", "Number", "The number, worth 80 per cent"},
    {"Frame_Units", "Units", "The unit, worth 20 per cent"},
    {"Frame1", "Prefix", "The prefix of the unit"},
    {"lblUnits", "Unit chosen", "The prefix and unit chosen"},
    {"lblUnitsLong", "Unit name", "The name of the unit chosen"},
    {"lblMultiplier", "Power of ten", "The prefix's power of ten"},
    {"Frame_multiselect", "Tick boxes", "Tick every correct label"},
    {"Frame_oneword", "Word answers", "One word in each box"},
    {"Frame_Match", "Matching", "A label for each item"},
    {"lblCountdown", "Time left", "Minutes and seconds left"},
    {"RedBox", "Time warning", "Blinks in the last 30 seconds"},
    {"lblMinutes", "Minutes", "Minutes left"},
    {"lblMark", "Score", "Caption of the score"},
    {"lblScore", "Score per cent", "The score so far"},
    {"picResults", "Progress", "One column per question: green right, red and crossed wrong"},
    {"picStatistics", "Statistics", "Time per question, marks and the predicted mark"},
    {"lblNoPic", "Picture", "What the picture panel shows"},
    {"WebBrowser1", "Picture panel", "The question's picture"},
    {"picGraph", "Graph", "The question's graph; drag to move it"},
    {"lblGraphXY", "Pointer position", "Where the pointer is on the graph"},
    {"lblStudyMode", "Study mode", "Nothing is recorded"},
    {"lblCompulsory", "Compulsory", "Whether every question must be done"},
    {"txtGotit", "Saving", "Whether the latest answers are saved"},
    {"picSave", "Summary", "The summary of the ended test"},
    {"FrameDebug", "Debug", "Hidden debugging details"},
    {"lblBaseUnits", "Base units", "Debugging detail"},
    {"lblSolution1", "Solution", "Debugging detail"},
    {"lbltheSolution", "Solution checked", "Debugging detail"},
    {"lblTheBaseUnit", "Unit checked", "Debugging detail"},
    {"cmdCheat", "Cheat", "Debugging detail"},
};

}  // namespace

void DoTest::ApplyDoTestAccessibility() {
  ApplyAccessibility(*this, kDoTest);
  // The control arrays, each named by its caption or number.
  for (std::size_t b = 0; b < Check1_.size(); ++b) {
    Check1_[b]->setAccessibleName(QStringLiteral("Box %1").arg(ToQString(CheckBoxCaptions()[b])));
    Check1_[b]->setAccessibleDescription(QStringLiteral("Tick when the label is correct"));
  }
  for (std::size_t k = 0; k < txtOneWord_.size(); ++k) {
    lab1_[k]->setAccessibleName(QStringLiteral("Word %1 caption").arg(k + 1));
    lab1_[k]->setAccessibleDescription(QStringLiteral("Caption of word box %1").arg(k + 1));
    txtOneWord_[k]->setAccessibleName(QStringLiteral("Word %1").arg(k + 1));
    txtOneWord_[k]->setAccessibleDescription(QStringLiteral("Type one word"));
  }
  for (std::size_t k = 0; k < txtMatch_.size(); ++k) {
    lblMatch_[k]->setAccessibleName(QStringLiteral("Item %1").arg(k + 1));
    lblMatch_[k]->setAccessibleDescription(QStringLiteral("An item to match"));
    txtMatch_[k]->setAccessibleName(QStringLiteral("Label for item %1").arg(k + 1));
    txtMatch_[k]->setAccessibleDescription(QStringLiteral("Type the matching label"));
  }
}

}  // namespace examora
