#include "platform/gtk/toolkit_start.h"

#include <fontconfig/fontconfig.h>
#include <glib.h>
#include <gtk/gtk.h>
#include <glib/gstdio.h>
#include <gtkmm/main.h>

#include <clocale>
#include <cstring>
#include <memory>
#include <string>

#include "platform/gtk/gobject_ptr.h"

namespace platform::gtk {
namespace {

bool SessionBusThere() {
  if (g_getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr) return true;
  const char* runtime = g_getenv("XDG_RUNTIME_DIR");
  return runtime != nullptr && g_file_test((std::string(runtime) + "/bus").c_str(), G_FILE_TEST_EXISTS);
}

// The font family fontconfig chooses for Simplified Chinese, if any.
std::string SimplifiedChineseFamily() {
  std::string family;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif:lang=zh-cn"));
  if (pattern == nullptr) return family;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* name = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name != nullptr) {
      family = reinterpret_cast<const char*>(name);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return family;
}

// Han characters in the Simplified forms whatever the locale. Text in a
// locale Pango takes for English draws them so with PANGO_LANGUAGE; one it
// cannot tell (C, POSIX) counts every script as its own and draws them in
// the forms of whichever CJK font comes first. The Simplified Chinese family
// after the desktop's own font decides for those characters alone.
void PreferSimplifiedForms() {
  if (pango_language_matches(pango_language_get_default(), "zh-cn;zh-sg")) return;
  const std::string chinese = SimplifiedChineseFamily();
  GtkSettings* settings = gtk_settings_get_default();
  if (chinese.empty() || settings == nullptr) return;
  gchar* font = nullptr;
  g_object_get(settings, "gtk-font-name", &font, nullptr);
  const GCharPtr font_name(font);
  const OwnedPtr<PangoFontDescription, pango_font_description_free> description(
      pango_font_description_from_string(font_name ? font_name.get() : "Sans 10"));
  const char* family = pango_font_description_get_family(description.get());
  const std::string families = std::string(family ? family : "Sans") + "," + chinese;
  pango_font_description_set_family(description.get(), families.c_str());
  const GCharPtr chosen(pango_font_description_to_string(description.get()));
  g_object_set(settings, "gtk-font-name", chosen.get(), nullptr);
}

}  // namespace

ToolkitStart::ToolkitStart() {
  const std::string config = g_get_user_config_dir();
  const std::string data = g_get_user_data_dir();
  const GCharPtr data_parent(g_path_get_dirname(data.c_str()));
  for (const std::string& folder : {config + "/gtk-3.0", config, data, std::string(data_parent.get())}) {
    if (!g_file_test(folder.c_str(), G_FILE_TEST_EXISTS)) absent_.push_back(folder);
  }
  g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
  // An address of no transport: every connection attempt fails at once.
  if (!SessionBusThere()) g_setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", TRUE);
  g_setenv("PANGO_LANGUAGE", "zh-cn", TRUE);
  g_setenv("LANGUAGE", "zh_CN", TRUE);
  if (!gtk_init_check(nullptr, nullptr)) throw NoDisplay();
  Gtk::Main::init_gtkmm_internals();
  // Translations are looked up only outside the plain C locale.
  const char* messages = std::setlocale(LC_MESSAGES, nullptr);
  if (messages == nullptr || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0) {
    std::setlocale(LC_MESSAGES, "C.UTF-8");
  }
  PreferSimplifiedForms();
}

void ToolkitStart::LeaveHomeAsFound() noexcept {
  // rmdir removes a folder only when it is empty.
  for (const std::string& folder : absent_) g_rmdir(folder.c_str());
  absent_.clear();
}

}  // namespace platform::gtk
