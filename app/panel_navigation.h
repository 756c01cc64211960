#pragma once
// How the user moves through the screens' panels by keyboard as well as by mouse: clickable labels that Tab
// reaches and Enter or Space activates, Escape to close, and one panel shown at a time so that Tab never
// walks into a panel hidden behind another.
#include <functional>
#include <initializer_list>

class QLabel;
class QWidget;

namespace maj::app {

// Makes `label` a link: a left click on it, or Enter or Space while it has the focus, calls `activate`.
// Tab gives it the focus (a click does not); the style sheet shows the focus through the :focus state. The
// label is narrowed to its text, keeping its aligned edge.
void MakeLabelActivatable(QLabel& label, std::function<void()> activate);

// While `panel` is shown, Escape pressed in it (a key its focused child leaves unhandled) or on its window
// with no focused child calls `close`.
void CloseOnEscape(QWidget& panel, std::function<void()> close);

// Showing one of `panels` hides the others, which share its place.
void ShowOnePanelAtATime(std::initializer_list<QWidget*> panels);

}  // namespace maj::app
