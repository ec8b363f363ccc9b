// A UI robot for the Wine tests: finds top-level windows by title, reads the texts of their child
// controls, clicks buttons and sends characters, as a person or a screen reader would reach them.
//   robot wait TITLE SECONDS     exit 0 once a visible window with that title exists
//   robot gone TITLE SECONDS     exit 0 once no visible window with that title exists
//   robot texts TITLE            one line per child control: CLASS|text (line ends as \n, \r)
//   robot utf8texts TITLE        the same, each text read whole (UTF-16) and written in UTF-8
//   robot click TITLE BUTTON     clicks the child button whose text (without '&') is BUTTON
//   robot char TITLE CODE        posts WM_CHAR CODE to the window's focus (or the window)
//   robot rect TITLE             left top right bottom of the window
//   robot fit TITLE [FACE]       one line per label, laid out as the label lays it out in the
//                                default GUI font (with FACE as its face): fits|text|sizes or
//                                cut|text|sizes; exit 1 when any label is cut
//   robot rects TITLE [DPI]      "client WIDTH HEIGHT", then one line per visible child control:
//                                CLASS|left top right bottom, in the window's client pixels, and
//                                for a label |the rectangle its text takes, laid out as for fit
//                                (at DPI where the window stands at another dpi than the system)
//   robot list                   every top-level window: visible|class|title
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Whether a window left a WM_GETTEXT unanswered (its thread busy past the wait, or the window
// gone): the text then reads empty, which must not pass for a label that is empty.
bool unanswered = false;

// Titles are read with a short wait, as a search reads every top-level window and a busy one
// only means it is not the one waited for; the texts of the window found get a long one.
std::string TextOf(HWND window, UINT wait = 10000) {
  char buffer[4096] = {};
  // WM_GETTEXT reaches controls of other processes, where GetWindowText would not.
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, wait, nullptr))
    unanswered = true;
  return buffer;
}

// The text as the control holds it, every letter kept, in UTF-8.
std::string Utf8TextOf(HWND window) {
  wchar_t wide[4096] = {};
  if (!SendMessageTimeoutW(window, WM_GETTEXT, sizeof wide / sizeof wide[0],
                           reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG, 10000, nullptr))
    unanswered = true;
  char text[4096 * 3] = {};
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

// Line ends inside a text are written as \n and \r, so that each control stays on one line.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\n') line += "\\n";
    else if (c == '\r') line += "\\r";
    else line += c;
  }
  return line;
}

std::string ClassOf(HWND window) {
  char buffer[256] = {};
  GetClassNameA(window, buffer, sizeof buffer);
  return buffer;
}

std::string WithoutAccessKey(const std::string& text) {
  std::string plain;
  for (char c : text)
    if (c != '&') plain += c;
  return plain;
}

struct Search {
  std::string title;
  HWND found = nullptr;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  if (IsWindowVisible(window) && TextOf(window, 2000) == search->title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindTitle(const std::string& title) {
  Search search{title};
  EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
  reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
  return TRUE;
}

std::vector<HWND> ChildrenOf(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM) {
  std::printf("%d|%s|%s\n", IsWindowVisible(window) ? 1 : 0, ClassOf(window).c_str(),
              TextOf(window, 2000).c_str());
  return TRUE;
}

// Lays a label's text out as a STATIC control of its style does (word wrap unless it is a
// single-line or no-wrap style): the rectangle it takes in the label, and its one-line width.
RECT TextLayout(HWND label, HFONT font, LONG* lineWidth = nullptr) {
  const std::string text = TextOf(label);
  RECT client;
  GetClientRect(label, &client);
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, font);
  const LONG style = GetWindowLongA(label, GWL_STYLE);
  UINT format = DT_CALCRECT | DT_EXPANDTABS;
  if ((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP || (style & SS_TYPEMASK) == SS_SIMPLE)
    format |= DT_SINGLELINE;
  else
    format |= DT_WORDBREAK;
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  RECT needed = {0, 0, client.right, 0};
  DrawTextA(dc, text.c_str(), -1, &needed, format);
  SIZE line = {};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &line);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  if (lineWidth) *lineWidth = line.cx;
  const LONG free = client.right - needed.right;
  const LONG shift = (style & SS_TYPEMASK) == SS_CENTER  ? free / 2
                     : (style & SS_TYPEMASK) == SS_RIGHT ? free
                                                         : 0;
  OffsetRect(&needed, shift, 0);
  return needed;
}

// The default GUI font, as the program gives its labels (a stock object; WM_GETFONT does not
// answer across processes under Wine), with another face or at another dpi than the system's.
HFONT LabelFont(const char* face, int dpi) {
  LOGFONTA logfont = {};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof logfont, &logfont);
  if (face) lstrcpynA(logfont.lfFaceName, face, LF_FACESIZE);
  if (dpi) {
    HDC screen = GetDC(nullptr);
    logfont.lfHeight = MulDiv(logfont.lfHeight, dpi, GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
  }
  return CreateFontIndirectA(&logfont);
}

// Tells whether a label's text stays inside the label.
bool LabelFits(HWND label, HFONT font) {
  const std::string text = TextOf(label);
  RECT client;
  GetClientRect(label, &client);
  SIZE line = {};
  RECT needed = TextLayout(label, font, &line.cx);
  OffsetRect(&needed, -needed.left, 0);
  const bool fits = needed.right <= client.right && needed.bottom <= client.bottom;
  std::printf("%s|%s|needs %ldx%ld (one line %ld), has %ldx%ld\n", fits ? "fits" : "cut",
              OneLine(text).c_str(), needed.right, needed.bottom, line.cx, client.right,
              client.bottom);
  return fits;
}

int Usage() {
  std::fprintf(stderr,
               "usage: robot wait|gone|texts|utf8texts|click|char|rect|rects|fit|list ...\n");
  return 2;
}

HWND Require(const std::string& title) {
  HWND window = FindTitle(title);
  if (!window) {
    std::fprintf(stderr, "robot: no visible window titled \"%s\"\n", title.c_str());
    std::exit(1);
  }
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "list") {
    EnumWindows(PrintTopLevel, 0);
    return 0;
  }
  if (argc < 3) return Usage();
  const std::string title = argv[2];

  if (command == "wait" || command == "gone") {
    const double seconds = argc > 3 ? std::atof(argv[3]) : 10;
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    for (;;) {
      const bool present = FindTitle(title) != nullptr;
      if (present == (command == "wait")) return 0;
      if (static_cast<LONG>(GetTickCount() - deadline) >= 0) return 1;
      Sleep(50);
    }
  }
  HWND window = Require(title);
  unanswered = false;
  if (command == "texts" || command == "utf8texts") {
    for (HWND child : ChildrenOf(window)) {
      const std::string text = command == "texts" ? TextOf(child) : Utf8TextOf(child);
      std::printf("%s|%s\n", ClassOf(child).c_str(), OneLine(text).c_str());
    }
    if (!unanswered) return 0;
    std::fprintf(stderr, "robot: a control of \"%s\" did not give its text\n", title.c_str());
    return 3;
  }
  if (command == "click" && argc > 3) {
    for (HWND child : ChildrenOf(window)) {
      if (_stricmp(ClassOf(child).c_str(), "Button") == 0 &&
          WithoutAccessKey(TextOf(child)) == WithoutAccessKey(argv[3])) {
        PostMessageA(child, BM_CLICK, 0, 0);
        return 0;
      }
    }
    std::fprintf(stderr, "robot: no button \"%s\" in \"%s\"%s\n", argv[3], title.c_str(),
                 unanswered ? " (a control did not give its text)" : "");
    return 1;
  }
  if (command == "char" && argc > 3) {
    const WPARAM code = static_cast<WPARAM>(std::strtoul(argv[3], nullptr, 0));
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = window;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus)
      target = info.hwndFocus;
    PostMessageA(target, WM_CHAR, code, 1);
    return 0;
  }
  if (command == "fit") {
    // FACE: the same font with another face, as Windows versions map it to Tahoma or MS Sans
    // Serif.
    if (argc > 4 && !AddFontResourceExA(argv[4], FR_PRIVATE, nullptr)) {
      std::fprintf(stderr, "robot: cannot load the font file %s\n", argv[4]);
      return 1;
    }
    HFONT font = LabelFont(argc > 3 ? argv[3] : nullptr, 0);
    bool all = true;
    for (HWND child : ChildrenOf(window))
      if (_stricmp(ClassOf(child).c_str(), "Static") == 0 && !TextOf(child).empty())
        all = LabelFits(child, font) && all;
    DeleteObject(font);
    return all ? 0 : 1;
  }
  if (command == "rects") {
    HFONT font = LabelFont(nullptr, argc > 3 ? std::atoi(argv[3]) : 0);
    RECT client;
    GetClientRect(window, &client);
    std::printf("client %ld %ld\n", client.right, client.bottom);
    for (HWND child : ChildrenOf(window)) {
      if (!IsWindowVisible(child)) continue;
      RECT rect;
      GetWindowRect(child, &rect);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
      std::printf("%s|%ld %ld %ld %ld", ClassOf(child).c_str(), rect.left, rect.top, rect.right,
                  rect.bottom);
      if (_stricmp(ClassOf(child).c_str(), "Static") == 0 && !TextOf(child).empty()) {
        RECT text = TextLayout(child, font);
        OffsetRect(&text, rect.left, rect.top);
        std::printf("|%ld %ld %ld %ld", text.left, text.top, text.right, text.bottom);
      }
      std::printf("\n");
    }
    DeleteObject(font);
    return 0;
  }
  if (command == "rect") {
    RECT rect;
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return 0;
  }
  return Usage();
}
