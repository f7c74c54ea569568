// A tiny GTK program for gui_harness_selftest: one window with a menu bar, a
// label, an entry, a button that opens a dialog and a status bar. Closing the
// main window through the window manager exits with kClosedByRequest.
#include <gtkmm.h>

#include "selftest_app_facts.h"

namespace {

using selftest::kClosedByRequest;

class SelftestWindow : public Gtk::Window {
 public:
  SelftestWindow() {
    set_title(selftest::kMainTitle);
    set_default_size(480, 320);

    auto* refresh = Gtk::make_managed<Gtk::MenuItem>("刷新(_R)", true);
    refresh->signal_activate().connect([this] {
      label_.set_text("已刷新");
      status_.push("已刷新");
    });
    auto* disabled = Gtk::make_managed<Gtk::MenuItem>("禁用项(_D)", true);
    disabled->set_sensitive(false);
    auto* quit = Gtk::make_managed<Gtk::MenuItem>("退出(_Q)", true);
    quit->signal_activate().connect([this] { hide(); });
    file_menu_.append(*refresh);
    file_menu_.append(*disabled);
    file_menu_.append(*Gtk::make_managed<Gtk::SeparatorMenuItem>());
    file_menu_.append(*quit);
    file_item_.set_submenu(file_menu_);
    menu_bar_.append(file_item_);

    // Large text so a screenshot has plenty of glyph pixels to find.
    label_.set_markup(std::string("<span size='xx-large'>") + selftest::kGreeting + "</span>");
    entry_.get_accessible()->set_name("输入框");
    button_.signal_clicked().connect([this] { OpenDialog(); });
    status_.push("就绪");

    box_.pack_start(menu_bar_, Gtk::PACK_SHRINK);
    box_.pack_start(label_, Gtk::PACK_EXPAND_WIDGET);
    box_.pack_start(entry_, Gtk::PACK_SHRINK);
    box_.pack_start(button_, Gtk::PACK_SHRINK);
    box_.pack_end(status_, Gtk::PACK_SHRINK);
    add(box_);
    show_all();
  }

  bool closed_by_request() const { return closed_by_request_; }

 protected:
  bool on_delete_event(GdkEventAny* event) override {
    closed_by_request_ = true;
    return Gtk::Window::on_delete_event(event);
  }

 private:
  void OpenDialog() {
    dialog_ = std::make_unique<Gtk::Dialog>(selftest::kDialogTitle, *this);
    auto* text = Gtk::make_managed<Gtk::Label>("对话框内容");
    dialog_->get_content_area()->pack_start(*text);
    dialog_->add_button("关闭", Gtk::RESPONSE_CLOSE);
    dialog_->signal_response().connect([this](int) { dialog_->hide(); });
    dialog_->show_all();
  }

  Gtk::Box box_{Gtk::ORIENTATION_VERTICAL};
  Gtk::MenuBar menu_bar_;
  Gtk::MenuItem file_item_{"文件(_F)", true};
  Gtk::Menu file_menu_;
  Gtk::Label label_;
  Gtk::Entry entry_;
  Gtk::Button button_{"打开对话框"};
  Gtk::Statusbar status_;
  std::unique_ptr<Gtk::Dialog> dialog_;
  bool closed_by_request_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
  auto app = Gtk::Application::create(argc, argv, "", Gio::APPLICATION_NON_UNIQUE);
  SelftestWindow window;
  const int status = app->run(window);
  return window.closed_by_request() ? kClosedByRequest : status;
}
