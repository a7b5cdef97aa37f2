// Builds a control tree from an XML layout. The root element is "Window"
// (its attributes describe the window) holding Font, Default and Include
// elements and one root control; controls are made by element name.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "toolkit/control.h"
#include "toolkit/window_style.h"

namespace DuiLib {

// Makes the control for an element name the toolkit does not know, or null.
using CustomControlFactory = std::function<CControlUI*(const std::wstring& className)>;

// Builds the layout file `file`, read through the resource map (as are the
// files it includes). Window attributes, fonts and defaults go into `style`.
// Null when the file is missing, malformed or has no control (logged).
std::unique_ptr<CControlUI> buildLayoutFile(const std::wstring& file, WindowStyle& style,
                                            const CustomControlFactory& factory = {});
// The same for a layout held in a string.
std::unique_ptr<CControlUI> buildLayoutString(const std::wstring& xml, WindowStyle& style,
                                              const CustomControlFactory& factory = {});
// A new control of a class the toolkit knows ("Button", ...), or null.
std::unique_ptr<CControlUI> createStandardControl(const std::wstring& className);

}  // namespace DuiLib
