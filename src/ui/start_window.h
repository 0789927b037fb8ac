// The window the program opens with until the sign-in window takes its place: it shows which
// build runs, where it looks for tests and who it takes the user to be.
#pragma once

#include <QWidget>

namespace examora {

struct ModuleExamora;

class StartWindow : public QWidget {
 public:
  explicit StartWindow(const ModuleExamora& m, QWidget* parent = nullptr);
};

}  // namespace examora
