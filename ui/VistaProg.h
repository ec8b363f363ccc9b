#pragma once
// The installer's own progress bar: Value, Min and Max with their clamping, the property bag,
// and where its pictures lie for a value. Drawing them is the window's business.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace ui {

// Left, top, width, height in twips inside the control.
struct Piece {
  int32_t left, top, width, height;
};

enum class CapPicture { Empty, Filled };

struct BarLayout {
  int32_t width = 1980;  // the control's size in twips
  int32_t height = 325;
  Piece barLeft{0, 0, 30, 325};
  Piece barRight{1950, 0, 30, 325};
  Piece barMain{0, 0, 15, 325};
  Piece barBack{1680, 1800, 1665, 330};  // the track; lies below the visible band
  CapPicture leftCap = CapPicture::Empty;
  CapPicture rightCap = CapPicture::Empty;
};

// The pictures, 15 rows from the top, as 0xRRGGBB. The bar and the track have two equal columns;
// a cap has an outer column (the control's edge) and an inner one.
inline constexpr int kPictureRows = 15;
using PictureColumn = std::array<uint32_t, kPictureRows>;
inline constexpr PictureColumn kBarColumn{0xB2B2B2, 0x3F7BEB, 0x3F7BEB, 0x266AE8, 0x175BDB,
                                          0x1451C2, 0x1451C2, 0x0E3785, 0x0E3785, 0x0D347D,
                                          0x0D347D, 0x0C3072, 0x0C3072, 0x0B2B66, 0x8C8C8C};
inline constexpr PictureColumn kCapOuterColumn{0xF7F7F7, 0xBDBDBD, 0xAEAEAE, 0xABABAB, 0xA8A8A8,
                                               0xA5A5A5, 0xA1A1A1, 0x9E9E9E, 0x9E9E9E, 0x9B9B9B,
                                               0x979797, 0x949494, 0x919191, 0xA1A1A1, 0xF3F3F3};
inline constexpr PictureColumn kCapInnerEmptyColumn{
    0xC9C9C9, 0xDADADA, 0xF3F3F3, 0xEDEDED, 0xE5E5E5, 0xE0E0E0, 0xDDDDDD, 0xD1D1D1,
    0xD1D1D1, 0xD1D1D1, 0xD2D2D2, 0xD1D1D1, 0xD3D3D3, 0xC3C3C3, 0x9E9E9E};
inline constexpr PictureColumn kCapInnerFilledColumn{
    0xC9C9C9, 0x3F7BEB, 0x3F7BEB, 0x266AE8, 0x175BDB, 0x1451C2, 0x1451C2, 0x0E3785,
    0x0E3785, 0x0D347D, 0x0D347D, 0x0C3072, 0x0C3072, 0x0B2B66, 0x9E9E9E};
inline constexpr PictureColumn kTrackColumn{0xB2B2B2, 0xF3F3F3, 0xFCFCFC, 0xEFEFEF, 0xE6E6E6,
                                            0xDEDEDE, 0xDBDBDB, 0xCACACA, 0xCACACA, 0xCCCCCC,
                                            0xCECECE, 0xD1D1D1, 0xD5D5D5, 0xEAEAEA, 0x8C8C8C};

// The left and right column of a 2 x 15 picture.
struct Picture {
  const PictureColumn& left;
  const PictureColumn& right;
};
Picture LeftCapPicture(CapPicture state);
Picture RightCapPicture(CapPicture state);
Picture BarPicture();
Picture TrackPicture();

// The container's stored properties.
class PropertyBag {
 public:
  std::map<std::string, std::string> entries;
  // The default when the entry is absent; nothing when it holds no 32-bit number (damaged).
  std::optional<int32_t> ReadProperty(const std::string& name, int32_t defaultValue) const;
  // A value equal to its default is not stored.
  void WriteProperty(const std::string& name, int32_t value, int32_t defaultValue);
};

class VistaProg {
 public:
  // Told the name of each property that changed ("Value", "Max", "Min").
  using ChangeListener = std::function<void(const char* property)>;
  explicit VistaProg(ChangeListener changed = {});

  int32_t Value() const { return value_; }
  int32_t Max() const { return max_; }
  int32_t Min() const { return min_; }
  void SetValue(int32_t value);
  void SetMax(int32_t value);
  void SetMin(int32_t value);

  // A new instance placed on a form.
  void InitProperties();
  // Max, Min, Value in this order; an entry that cannot be read is skipped.
  void ReadProperties(const PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;

  // The control's new size in twips; its height is forced to 325.
  void Resize(int32_t width, int32_t height);
  const BarLayout& Layout() const { return layout_; }

 private:
  void DrawBar();

  ChangeListener changed_;
  int32_t value_ = 0;
  int32_t max_ = 100;
  int32_t min_ = 0;
  BarLayout layout_;
};

}  // namespace ui
