#pragma once
// What the installer's borderless windows share: a twips layout at the window's own dots per inch,
// the painted surface (gradient, title strip, border lines), transparent labels, a timer,
// dragging, and the window procedure that keeps exceptions inside.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/Painting.h"
#include "ui/win32/Translucency.h"

namespace ui::win32 {

// A border line in twips; `colour` CLR_INVALID stands for the system's window-text colour.
struct BorderLine {
  int x1, y1, x2, y2;
  COLORREF colour;
};
inline constexpr COLORREF kWindowText = CLR_INVALID;

// A timer with an interval and an on/off switch; it runs while both allow it.
class FormTimer {
 public:
  FormTimer(UINT_PTR id) : id_(id) {}
  void Attach(HWND owner) { owner_ = owner; }
  void SetEnabled(bool enabled);
  void SetInterval(uint32_t milliseconds);
  bool Enabled() const { return enabled_; }
  uint32_t Interval() const { return interval_; }
  UINT_PTR id() const { return id_; }

 private:
  void Apply();
  HWND owner_ = nullptr;
  UINT_PTR id_;
  bool enabled_ = false;
  uint32_t interval_ = 0;
};

class FormWindow {
 public:
  virtual ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  bool Loaded() const { return hwnd_ != nullptr; }
  int Px(int twips) const;
  int Dpi() const { return dpi_; }
  // Where the last paint put the title's text and the pictures on the strip, in the window's
  // client pixels: what a test reads to see that nothing covers the title.
  const RECT& PaintedTitle() const { return paintedTitle_; }
  const RECT& PaintedPictures() const { return paintedPictures_; }

 protected:
  struct Design {
    const char* className;
    int clientWidth, clientHeight;  // twips
    DWORD exStyle;
    RECT strip;  // left, top, width, height in twips
    const char* stripTitle;
    const BorderLine* lines;
    size_t lineCount;
  };
  explicit FormWindow(const Design& design) : design_(design) {}

  // Creates the hidden window; ApplyDpi gives it its size and place once its controls exist.
  bool Create(const std::string& caption);
  void Destroy();
  // Lays the window out for `dpi`: its font, its size (centred on the screen, or the rectangle
  // Windows suggests when the window moves to a monitor of another scale) and its controls.
  void ApplyDpi(int dpi, const RECT* suggested);
  // The dpi the window stands at now: its monitor's where Windows tells it, else the system's.
  int CurrentDpi() const;
  HFONT Font() const { return font_; }

  // A transparent label; presses on it reach the window below, which starts a drag. LayOut
  // places it.
  HWND AddLabel(const std::string& text, DWORD align);
  // Puts a control at a place in twips and gives it the window's font.
  void Place(HWND control, int left, int top, int width, int height);
  // Sets a label's text and repaints the window under it, or the old text would stay.
  void SetLabelText(HWND label, const std::string& text);
  void MoveLabel(HWND label, int leftTwips, int topTwips);

  // Places every control (Place) at the window's dpi.
  virtual void LayOut() = 0;
  // Paints what lies on the strip besides its gradient and title (the small picture, icons) and
  // answers the rectangle they cover.
  virtual RECT PaintStripPictures(HDC strip);
  virtual void OnResize();
  // The window's own messages; the rest goes to DefWindowProc.
  virtual bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc);

  Design design_;
  ButtonDrag buttonDrag_;
  int dpi_ = 96;
  HFONT font_ = nullptr;
  RECT paintedTitle_ = {};
  RECT paintedPictures_ = {};
};

}  // namespace ui::win32
