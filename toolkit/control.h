// The base of every windowless control: a rectangle placed by its container,
// a name, a text, visibility and enabled state, attributes, painting and
// mouse and keyboard events. Controls belong to their container (the root to
// its window) and live on the UI thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "toolkit/accessible_role.h"
#include "toolkit/render.h"

namespace DuiLib {

class CPaintManagerUI;

enum class UIEvent {
  MouseEnter,
  MouseLeave,
  MouseMove,
  ButtonDown,
  ButtonUp,
  DoubleClick,
  MouseWheel,
  SetFocus,
  KillFocus,
  KeyDown,
  Timer
};

struct TEventUI {
  UIEvent type;
  POINT point{};  // client pixels, for mouse events
  WPARAM wParam = 0;  // the key, the wheel delta or the timer id
  LPARAM lParam = 0;
};

class CControlUI {
 public:
  CControlUI();
  virtual ~CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  // The element name layouts use for this class ("Control", "Button", ...).
  virtual std::wstring_view getClass() const { return L"Control"; }
  // This control as the interface `name`, or null. Every control answers "Control".
  virtual void* getInterface(std::wstring_view name);

  const std::wstring& getName() const { return name_; }
  void setName(const std::wstring& name) { name_ = name; }
  // The text as set: an "@key" text stays as written and is resolved through
  // the language table at every drawing (resolvedText).
  const std::wstring& getText() const { return text_; }
  virtual void setText(const std::wstring& text);
  std::wstring resolvedText() const;
  const std::wstring& getToolTip() const { return toolTip_; }
  void setToolTip(const std::wstring& toolTip) { toolTip_ = toolTip; }
  std::wstring resolvedToolTip() const;
  const std::wstring& getUserData() const { return userData_; }

  // Sizes and padding in layout units (96 DPI); 0 width or height fills.
  int getFixedWidth() const { return fixedWidth_; }
  void setFixedWidth(int width);
  int getFixedHeight() const { return fixedHeight_; }
  void setFixedHeight(int height);
  SIZE getMinSize() const { return minSize_; }
  SIZE getMaxSize() const { return maxSize_; }
  const RECT& getPadding() const { return padding_; }
  void setPadding(const RECT& padding);
  bool isFloat() const { return float_; }
  void setFloat(bool isFloat);
  // A floating control's position inside its parent: left, top, right, bottom.
  const RECT& getFloatPos() const { return floatPos_; }

  // The rectangle the layout gave this control, in window pixels.
  const RECT& getPos() const { return pos_; }
  // Places the control; containers lay out their children here.
  virtual void setPos(const RECT& pos);
  // The size wanted inside `available` pixels; 0 along an axis means "fill".
  virtual SIZE estimateSize(SIZE available);

  // Visible when its own flag and every parent's are set.
  bool isVisible() const;
  bool isOwnVisible() const { return visible_; }
  virtual void setVisible(bool visible);
  // Enabled when its own flag and every parent's are set.
  bool isEnabled() const;
  virtual void setEnabled(bool enabled);
  bool isMouseEnabled() const { return mouseEnabled_; }
  void setMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
  // Takes keyboard focus (a Tab stop) when visible and enabled.
  virtual bool wantsFocus() const { return false; }
  // Tab visits lower orders first and equal orders in layout order ("taborder", 0 by default).
  int getTabOrder() const { return tabOrder_; }
  // Takes the focus when its page of a tab layout comes up and the focus was
  // on the page that went, or nowhere ("pagefocus"), though Tab passes it by:
  // a reader then names what the page is about rather than the bare window.
  bool takesPageFocus() const { return pageFocus_; }
  // Takes clicks itself: a caption area under it does not drag the window.
  virtual bool isInteractive() const { return false; }
  bool isFocused() const;
  bool isHot() const { return (state_ & kHot) != 0; }
  bool isPushed() const { return (state_ & kPushed) != 0; }
  bool showsHandCursor() const { return handCursor_; }

  DWORD getBkColor() const { return bkColor_; }
  void setBkColor(DWORD argb);
  const std::wstring& getBkImage() const { return bkImage_; }
  void setBkImage(const std::wstring& image);

  // What assistive technology is told (toolkit/accessible.h). The id names the
  // control to it, unique in the process and never reused.
  long accessibleId() const { return accessibleId_; }
  // The layout's "accrole" when it gave one, else the class's natural role.
  AccessibleRole accessibleRole() const { return hasRole_ ? role_ : naturalRole(); }
  // The layout's "accname": a name ("@key" for a language text) used when
  // the control has neither text nor tooltip.
  const std::wstring& getAccessibleName() const { return accessibleName_; }
  // A new "accname"; a reader hears of it when it names the control.
  void setAccessibleName(const std::wstring& name);
  // The control's value for assistive technology; false when it has none.
  virtual bool accessibleValue(std::wstring&) const { return false; }

  // Applies one layout attribute; false when this class does not know it.
  virtual bool setAttribute(const std::wstring& name, const std::wstring& value);
  // Applies `name="value" ...` in order.
  void applyAttributeList(const std::wstring& list);

  CControlUI* getParent() const { return parent_; }
  CPaintManagerUI* getManager() const { return manager_; }
  // Attaches this control (and its children) to a window's manager.
  virtual void setManager(CPaintManagerUI* manager, CControlUI* parent);
  // This control when it is named `name`; containers search their children.
  virtual CControlUI* findControl(std::wstring_view name);
  // The topmost visible control at `point` that takes the mouse, or null.
  virtual CControlUI* findControlAt(POINT point);
  // Calls `visit` for this control and every control below it.
  virtual void forEach(const std::function<void(CControlUI*)>& visit);

  virtual void paint(PaintContext& context);
  // Does now, once the window is on screen, the slow work its first drawing
  // would do (reading an animation), so that the control shows at once when
  // it is first shown. Nothing by default.
  virtual void prepare() {}
  virtual void doEvent(TEventUI& event);
  // Asks the window to lay out and draw again.
  void invalidate();
  // Asks the window to draw this control's place again, for a change of its
  // looks that leaves every size and place as it is.
  void redraw();
  // A layout length in window pixels.
  int scaled(int value) const;
  RECT scaledRect(const RECT& rect) const;
  // Clears the hover and pressed looks (the manager calls it when the mouse
  // is taken away from this control).
  void clearMouseState();

 protected:
  virtual void paintBkColor(PaintContext& context);
  virtual void paintBkImage(PaintContext& context);
  virtual void paintStatusImage(PaintContext&) {}
  virtual void paintText(PaintContext&) {}
  virtual void paintBorder(PaintContext& context);
  // A click completed on this control.
  virtual void activate() {}
  virtual AccessibleRole naturalRole() const;
  // Tells assistive technology of a change of this control (an EVENT_OBJECT_
  // constant); nothing while the control is not shown in a window.
  void notifyAccessible(unsigned long event) const;
  // True when the text decides this control's size, so a new text needs a
  // new layout.
  virtual bool sizeFollowsText() const { return false; }
  // Sends a notification of this control to its window.
  void sendNotify(const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0);
  // A device context for measuring text.
  HDC measureDC() const;
  int scalePercent() const;

  static constexpr uint32_t kHot = 1;
  static constexpr uint32_t kPushed = 2;
  static constexpr uint32_t kCaptured = 4;
  uint32_t state_ = 0;
  std::wstring text_;
  RECT pos_{};

 private:
  friend struct ControlAttributes;

  CPaintManagerUI* manager_ = nullptr;
  CControlUI* parent_ = nullptr;
  std::wstring name_;
  std::wstring toolTip_;
  std::wstring userData_;
  std::wstring accessibleName_;
  long accessibleId_;
  AccessibleRole role_ = AccessibleRole::None;
  bool hasRole_ = false;
  int tabOrder_ = 0;
  bool pageFocus_ = false;
  int fixedWidth_ = 0;
  int fixedHeight_ = 0;
  SIZE minSize_{0, 0};
  SIZE maxSize_{9999, 9999};
  RECT padding_{};
  bool float_ = false;
  RECT floatPos_{};
  bool visible_ = true;
  bool enabled_ = true;
  bool mouseEnabled_ = true;
  bool handCursor_ = false;
  DWORD bkColor_ = 0;
  std::wstring bkImage_;
  DWORD borderColor_ = 0;
  int borderSize_ = 0;
};

}  // namespace DuiLib
