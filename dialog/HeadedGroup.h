#pragma once
#include <CFxQtTitleLabel.h>

#include <QFrame>
#include <QVBoxLayout>

// A dialog's group heading: a title label above a sunken line, stacked in a layout of their own.
struct HeadedGroup {
  QVBoxLayout* layout;
  CFxQtTitleLabel* label;
  QFrame* line;
};

// Creates the heading's widgets under `parent` with the three object names; `topMargin` is the
// space above the heading (9 inside a page, 0 for the first group of a dialog).
HeadedGroup makeHeadedGroup(QWidget* parent, const char* layoutName, const char* labelName, const char* lineName,
                            int topMargin);
