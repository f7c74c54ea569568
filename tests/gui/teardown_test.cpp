// What a window with a browser leaves behind when it is unloaded, checked in
// this process on a private desktop: the toolkit's own windows, the real
// engine. A login cycle builds two such windows and unloads them again, so
// anything left here adds up over a working day.
#include <atk/atk.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <chrono>
#include <deque>
#include <memory>
#include <thread>
#include <vector>

#include "harness/session.h"
#include "platform/gtk/gtk_toolkit.h"

namespace {

using namespace std::chrono_literals;

// Set when the object is finalized.
class Finalized {
 public:
  explicit Finalized(gpointer object) {
    g_object_weak_ref(G_OBJECT(object), [](gpointer flag, GObject*) { *static_cast<bool*>(flag) = true; }, &gone_);
  }
  bool operator()() const { return gone_; }

 private:
  bool gone_ = false;
};

template <class Done>
bool PumpUntil(Done done, std::chrono::milliseconds timeout = 5s) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

void Pump(std::chrono::milliseconds for_at_least) {
  PumpUntil([] { return false; }, for_at_least);
}

std::vector<GtkWidget*> ChildrenOf(GtkWidget* widget, bool with_internal) {
  std::vector<GtkWidget*> out;
  if (!GTK_IS_CONTAINER(widget)) return out;
  const GtkCallback add = [](GtkWidget* child, gpointer list) {
    static_cast<std::vector<GtkWidget*>*>(list)->push_back(child);
  };
  if (with_internal) {
    gtk_container_forall(GTK_CONTAINER(widget), add, &out);
  } else {
    gtk_container_foreach(GTK_CONTAINER(widget), add, &out);
  }
  return out;
}

// The first widget of `type` under the toplevels, breadth first.
GtkWidget* FindWidget(GType type) {
  std::deque<GtkWidget*> queue;
  GList* toplevels = gtk_window_list_toplevels();
  for (GList* item = toplevels; item != nullptr; item = item->next) queue.push_back(GTK_WIDGET(item->data));
  g_list_free(toplevels);
  while (!queue.empty()) {
    GtkWidget* widget = queue.front();
    queue.pop_front();
    if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type)) return widget;
    for (GtkWidget* child : ChildrenOf(widget, false)) queue.push_back(child);
  }
  return nullptr;
}

class WindowTeardownTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    session_ = std::make_unique<gui::Session>();
    toolkit_ = std::make_unique<platform::GtkToolkit>(platform::gtk::ProgramIdentity{"Teardown", "org.example.Teardown", {}});
  }
  static void TearDownTestSuite() {
    toolkit_.reset();
    session_.reset();
  }

  // A shown window with a browser filling it, as a form loads one.
  void OpenWindow() {
    platform::FormDesign design;
    design.name = "frmTeardown";
    design.caption = "teardown";
    design.client_width = 9000;
    design.client_height = 6000;
    window_ = toolkit_->OpenWindow(design, {});
    window_->AddBrowser(platform::BrowserDesign{{0, 0, 9000, 6000}}, {});
    window_->Show(nullptr, false);
    Pump(300ms);
  }

  // Unloaded as the form runtime does it.
  void UnloadWindow() {
    window_->Detach();
    window_.reset();
  }

  static std::unique_ptr<gui::Session> session_;
  static std::unique_ptr<platform::GtkToolkit> toolkit_;
  std::unique_ptr<platform::NativeWindow> window_;
};

std::unique_ptr<gui::Session> WindowTeardownTest::session_;
std::unique_ptr<platform::GtkToolkit> WindowTeardownTest::toolkit_;

TEST_F(WindowTeardownTest, TheViewAndEveryWidgetItHoldsAreFinalized) {
  OpenWindow();
  GtkWidget* view = FindWidget(WEBKIT_TYPE_WEB_VIEW);
  ASSERT_NE(view, nullptr) << "no web view in the window";
  // The engine's own children are internal: the view lists them only to
  // callers that ask for internal ones too.
  const std::vector<GtkWidget*> children = ChildrenOf(view, true);
  ASSERT_FALSE(children.empty()) << "the view holds no widget: nothing here is tested";
  std::vector<std::unique_ptr<Finalized>> watched;
  watched.push_back(std::make_unique<Finalized>(view));
  for (GtkWidget* child : children) watched.push_back(std::make_unique<Finalized>(child));

  UnloadWindow();
  PumpUntil([&] {
    for (const auto& w : watched) {
      if (!(*w)()) return false;
    }
    return true;
  });
  EXPECT_TRUE((*watched[0])()) << "the web view outlived its window";
  for (std::size_t i = 1; i < watched.size(); ++i) {
    EXPECT_TRUE((*watched[i])()) << G_OBJECT_TYPE_NAME(children[i - 1]) << " inside the web view outlived it";
  }
}

TEST_F(WindowTeardownTest, TheFindFieldsAccessibleObjectsAreFinalized) {
  OpenWindow();
  // The find bar is made when first opened: Ctrl+F in the page.
  GtkWidget* view = FindWidget(WEBKIT_TYPE_WEB_VIEW);
  ASSERT_NE(view, nullptr) << "no web view in the window";
  GdkEvent* key = gdk_event_new(GDK_KEY_PRESS);
  key->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(view)));
  key->key.keyval = GDK_KEY_f;
  key->key.state = GDK_CONTROL_MASK;
  gdk_event_set_device(key, gdk_seat_get_keyboard(gdk_display_get_default_seat(gtk_widget_get_display(view))));
  gtk_widget_event(view, key);
  gdk_event_free(key);
  Pump(100ms);
  GtkWidget* entry = FindWidget(GTK_TYPE_SEARCH_ENTRY);
  ASSERT_NE(entry, nullptr) << "no find field in the window";
  // What a screen reader walking the window brings into being: the field's
  // accessible and that of its search icon.
  AtkObject* accessible = gtk_widget_get_accessible(entry);
  ASSERT_NE(accessible, nullptr);
  ASSERT_GE(atk_object_get_n_accessible_children(accessible), 1) << "the find field shows no icon";
  AtkObject* icon = atk_object_ref_accessible_child(accessible, 0);
  ASSERT_NE(icon, nullptr);
  const Finalized field_gone(accessible);
  const Finalized icon_gone(icon);
  g_object_unref(icon);

  UnloadWindow();
  PumpUntil([&] { return field_gone() && icon_gone(); });
  EXPECT_TRUE(field_gone()) << "the find field's accessible outlived the window";
  EXPECT_TRUE(icon_gone()) << "the find icon's accessible outlived the window";
}

}  // namespace
