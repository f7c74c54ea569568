// The icon and version resource, read back from this program's own .exe
// through the version API and the resource functions.
#include <algorithm>
#include <cstring>
#include <cwctype>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>
#include <windows.h>

#include "app/app_info.h"
#include "platform/win32/image_resources.h"
#include "platform/win32/utf16.h"
#include "tests/windows/check.h"

namespace {

std::wstring OwnPath() {
  wchar_t path[MAX_PATH * 2] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  return path;
}

std::vector<BYTE> VersionInfo() {
  const std::wstring path = OwnPath();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<BYTE> data(size);
  if (size == 0 || !::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) data.clear();
  return data;
}

std::wstring StringValue(std::vector<BYTE>& info, const std::wstring& block, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = L"\\StringFileInfo\\" + block + L"\\" + name;
  if (!::VerQueryValueW(info.data(), query.c_str(), &value, &length) || length == 0) return {};
  std::wstring text(static_cast<const wchar_t*>(value), length);
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

// The entries of an icon group as stored in the resource (GRPICONDIR).
#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width;
  BYTE height;
  BYTE color_count;
  BYTE reserved;
  WORD planes;
  WORD bit_count;
  DWORD bytes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14 && sizeof(GroupIconHeader) == 6);

std::pair<const BYTE*, DWORD> Resource(LPCWSTR name, LPCWSTR type) {
  HRSRC found = ::FindResourceW(nullptr, name, type);
  if (found == nullptr) return {nullptr, 0};
  HGLOBAL loaded = ::LoadResource(nullptr, found);  // not freed: part of the loaded image
  return {static_cast<const BYTE*>(::LockResource(loaded)), ::SizeofResource(nullptr, found)};
}

TEST_CASE(version_resource_strings) {
  auto info = VersionInfo();
  REQUIRE(!info.empty());
  struct Translation {
    WORD language;
    WORD code_page;
  }* translation = nullptr;
  UINT length = 0;
  REQUIRE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                           reinterpret_cast<void**>(&translation), &length));
  REQUIRE(length >= sizeof(Translation));
  CHECK_EQ(translation->language, WORD{0x0804});  // Chinese (PRC)
  CHECK_EQ(translation->code_page, WORD{1200});   // UTF-16
  wchar_t block[9];
  std::swprintf(block, 9, L"%04x%04x", translation->language, translation->code_page);

  // Written by the build from the project's version; read as the program
  // formats it (2.08.0034 for 2.8.34).
  const std::wstring version = win32::Widen(app::VersionResourceText());
  CHECK_EQ(StringValue(info, block, L"FileVersion"), version);
  CHECK_EQ(StringValue(info, block, L"ProductVersion"), version);
  CHECK_EQ(StringValue(info, block, L"ProductName"), win32::Widen(app::kTitle));
  CHECK_EQ(StringValue(info, block, L"FileDescription"), win32::Widen(app::kMainCaption));
  CHECK_EQ(StringValue(info, block, L"OriginalFilename"), std::wstring(L"varnock.exe"));
}

TEST_CASE(version_resource_fixed_numbers) {
  auto info = VersionInfo();
  REQUIRE(!info.empty());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  REQUIRE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  REQUIRE(length >= sizeof(VS_FIXEDFILEINFO));
  CHECK_EQ(fixed->dwSignature, DWORD{0xFEEF04BD});
  // major.minor in the high word, 0.revision in the low one: 2,8,0,34.
  const DWORD high = MAKELONG(app::kVersion.minor, app::kVersion.major);
  const DWORD low = MAKELONG(app::kVersion.revision, 0);
  CHECK_EQ(fixed->dwFileVersionMS, high);
  CHECK_EQ(fixed->dwFileVersionLS, low);
  CHECK_EQ(fixed->dwProductVersionMS, high);
  CHECK_EQ(fixed->dwProductVersionLS, low);
  CHECK_EQ(fixed->dwFileType, DWORD{VFT_APP});
}

LPCWSTR ResourceName(platform::ImageId image) { return MAKEINTRESOURCEW(platform::win32::ResourceOf(image).id); }

// Every image the program names is in its resources, of the kind the map
// says: the resource script and the map agree.
TEST_CASE(every_image_id_names_a_resource_of_its_kind) {
  const auto [icon, icon_size] = Resource(ResourceName(platform::ImageId::WindowIcon), RT_GROUP_ICON);
  CHECK(platform::win32::ResourceOf(platform::ImageId::WindowIcon).kind == platform::win32::ResourceKind::IconGroup);
  CHECK(icon != nullptr && icon_size > 0);
  const auto [logo, logo_size] = Resource(ResourceName(platform::ImageId::Logo), RT_RCDATA);
  CHECK(platform::win32::ResourceOf(platform::ImageId::Logo).kind == platform::win32::ResourceKind::Png);
  REQUIRE(logo != nullptr && logo_size > 8);
  CHECK(std::memcmp(logo, "\x89PNG\r\n\x1a\n", 8) == 0);
}

TEST_CASE(icon_group_holds_16_and_32_pixels_at_4_8_and_32_bits) {
  const auto [group, group_size] = Resource(ResourceName(platform::ImageId::WindowIcon), RT_GROUP_ICON);
  REQUIRE(group != nullptr);
  REQUIRE(group_size >= sizeof(GroupIconHeader));
  GroupIconHeader header;
  std::memcpy(&header, group, sizeof header);
  CHECK_EQ(header.type, WORD{1});
  REQUIRE(header.count == 6);
  REQUIRE(group_size >= sizeof header + header.count * sizeof(GroupIconEntry));

  std::vector<std::tuple<int, int, int>> found;
  for (int i = 0; i < header.count; ++i) {
    GroupIconEntry entry;
    std::memcpy(&entry, group + sizeof header + i * sizeof entry, sizeof entry);
    found.emplace_back(entry.width, entry.height, entry.bit_count);
    // The image itself: a BITMAPINFOHEADER of the size and depth the group
    // announces (twice the height: the colour image and its mask).
    const auto [image, image_size] = Resource(MAKEINTRESOURCEW(entry.id), RT_ICON);
    REQUIRE(image != nullptr);
    CHECK_EQ(image_size, entry.bytes);
    REQUIRE(image_size >= sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER bitmap;
    std::memcpy(&bitmap, image, sizeof bitmap);
    CHECK_EQ(bitmap.biSize, DWORD{sizeof(BITMAPINFOHEADER)});
    CHECK_EQ(bitmap.biWidth, LONG{entry.width});
    CHECK_EQ(bitmap.biHeight, LONG{entry.height} * 2);
    CHECK_EQ(bitmap.biBitCount, entry.bit_count);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::tuple<int, int, int>> expected;
  for (int size : {16, 32}) {
    for (int bits : {4, 8, 32}) expected.emplace_back(size, size, bits);
  }
  CHECK(found == expected);
}

struct IconDeleter {
  void operator()(HICON icon) const noexcept { ::DestroyIcon(icon); }
};
struct BitmapDeleter {
  void operator()(HBITMAP bitmap) const noexcept { ::DeleteObject(bitmap); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

TEST_CASE(icon_loads_at_both_sizes) {
  for (int size : {16, 32}) {
    UniqueIcon icon(
        static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), ResourceName(platform::ImageId::WindowIcon),
                                        IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    REQUIRE(icon != nullptr);
    ICONINFO info{};
    REQUIRE(::GetIconInfo(icon.get(), &info));
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    REQUIRE(::GetObjectW(colour.get(), sizeof bitmap, &bitmap) != 0);
    CHECK_EQ(bitmap.bmWidth, LONG{size});
    CHECK_EQ(bitmap.bmHeight, LONG{size});
  }
}

}  // namespace

namespace {

// What the manifest asks for, as the running program gets it: common
// controls 6, and each window at its own monitor's DPI.
TEST_CASE(manifest_gives_common_controls_6_and_asks_for_per_monitor_dpi) {
  // comctl32.dll by name: the manifest's dependency sends it to version 6,
  // kept side by side with the system's version 5. (Wine 8's version 6
  // answers DllGetVersion with 5.81: where it is loaded from is what tells.)
  ACTCTX_SECTION_KEYED_DATA redirect{};
  redirect.cbSize = sizeof redirect;
  CHECK(::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll",
                                   &redirect));
  HMODULE comctl = ::LoadLibraryW(L"comctl32.dll");
  REQUIRE(comctl != nullptr);
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(comctl, path, MAX_PATH);
  std::wstring loaded(path);
  std::transform(loaded.begin(), loaded.end(), loaded.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  CHECK(loaded.find(L"\\winsxs\\") != std::wstring::npos);

  // Per-monitor DPI: Wine 8 treats every program as aware of it, so the
  // manifest the program carries is read back instead.
  const auto [manifest, manifest_size] = Resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  REQUIRE(manifest != nullptr);
  const std::string text(reinterpret_cast<const char*>(manifest), manifest_size);
  CHECK(text.find(">PerMonitorV2, PerMonitor</dpiAwareness>") != std::string::npos);
  CHECK(text.find(">true/pm</dpiAware>") != std::string::npos);
}

}  // namespace
