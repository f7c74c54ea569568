/* The floor: the least a program can do to show the service in WebKitGTK.
 * One window, one view with the engine's default settings and context, the
 * login address loaded at once. The key "s" loads the work page, so a key
 * press can be timed against the client's menu command.
 *
 * With --second-window it also does the least the client's hand-over needs,
 * with the client's rendering mode (no compositing): once a page other than
 * the login page has loaded, that address opens again in a new window whose
 * view shares the first one's web process, and the first window goes. That
 * is the engine's own cost of the client's second load.
 *
 *   floor LOGIN_ADDRESS WORK_ADDRESS [--second-window]
 */
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <string.h>

static WebKitWebView *view;
static GtkWidget *first_window;
static const char *login_address;
static const char *work_address;
static gboolean second_window;

static gboolean on_key(GtkWidget *window, GdkEventKey *event, gpointer data) {
  (void)window;
  (void)data;
  if (gdk_keyval_to_lower(event->keyval) == GDK_KEY_s &&
      (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) == 0) {
    webkit_web_view_load_uri(view, work_address);
    return TRUE;
  }
  return FALSE;
}

static GtkWidget *new_window(void) {
  GtkWidget *window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  /* About the size of the client's main window. */
  gtk_window_set_default_size(GTK_WINDOW(window), 968, 725);
  gtk_window_set_title(GTK_WINDOW(window), "floor");
  g_signal_connect(window, "key-press-event", G_CALLBACK(on_key), NULL);
  return window;
}

static gboolean destroy_first_window(gpointer data) {
  (void)data;
  gtk_widget_destroy(first_window);
  return G_SOURCE_REMOVE;
}

static void on_load(WebKitWebView *loaded, WebKitLoadEvent event, gpointer data) {
  (void)data;
  const char *uri = webkit_web_view_get_uri(loaded);
  if (event != WEBKIT_LOAD_FINISHED || loaded != view || uri == NULL || strcmp(uri, login_address) == 0) return;
  g_signal_handlers_disconnect_by_func(loaded, on_load, NULL);
  GtkWidget *window = new_window();
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_related_view(loaded));
  gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
  webkit_web_view_load_uri(view, uri);
  gtk_widget_show_all(window);
  /* Not from within its own view's signal. */
  g_idle_add(destroy_first_window, NULL);
}

int main(int argc, char **argv) {
  gtk_init(&argc, &argv);
  if (argc < 3 || argc > 4 || (argc == 4 && strcmp(argv[3], "--second-window") != 0)) {
    g_printerr("usage: %s LOGIN_ADDRESS WORK_ADDRESS [--second-window]\n", argv[0]);
    return 2;
  }
  login_address = argv[1];
  work_address = argv[2];
  second_window = argc == 4;
  GtkWidget *window = first_window = new_window();
  if (second_window) {
    WebKitSettings *settings = webkit_settings_new();
    webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_settings(settings));
    g_object_unref(settings);
  } else {
    view = WEBKIT_WEB_VIEW(webkit_web_view_new());
  }
  gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
  if (second_window) {
    g_signal_connect(view, "load-changed", G_CALLBACK(on_load), NULL);
  } else {
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  }
  webkit_web_view_load_uri(view, argv[1]);
  gtk_widget_show_all(window);
  gtk_main();
  return 0;
}
