// The drawing canvas: shows the back buffer of the drawing surface and turns pointer presses,
// motion and the wheel into the canvas events of the command loop.
#include "app/app.h"
#include "app/gtk/canvas_paint.h"
#include "app/gtk/gtk_host.h"
#include "app/point_input.h"
#include "render/surface.h"

namespace korav {

namespace {

gboolean on_draw(GtkWidget* w, cairo_t* cr, gpointer self) {
  auto* host = static_cast<GtkHost*>(self);
  paint_canvas(host->app(), cr, gtk_widget_get_allocated_width(w),
               gtk_widget_get_allocated_height(w));
  return TRUE;
}

void on_size_allocate(GtkWidget*, GdkRectangle* a, gpointer self) {
  auto* host = static_cast<GtkHost*>(self);
  App& app = host->app();
  const Surface& s = app.screen().surface[kMainSurface];
  if (s.created && s.image && a->width == s.width && a->height == s.height) return;
  canvas_resized(app, a->width, a->height);
}

gboolean on_press(GtkWidget* w, GdkEventButton* ev, gpointer self) {
  auto* host = static_cast<GtkHost*>(self);
  gtk_widget_grab_focus(w);
  int presses = ev->type == GDK_2BUTTON_PRESS ? 2 : ev->type == GDK_3BUTTON_PRESS ? 3 : 1;
  host->canvas_press(static_cast<int>(ev->button), ev->x, ev->y, presses);
  return TRUE;  // a press on the canvas never reaches the main window's handler
}

gboolean on_motion(GtkWidget*, GdkEventMotion* ev, gpointer self) {
  static_cast<GtkHost*>(self)->canvas_motion(ev->x, ev->y);
  return TRUE;
}

gboolean on_scroll(GtkWidget*, GdkEventScroll* ev, gpointer self) {
  auto* host = static_cast<GtkHost*>(self);
  if (ev->direction == GDK_SCROLL_UP) {
    host->canvas_wheel(true);
  } else if (ev->direction == GDK_SCROLL_DOWN) {
    host->canvas_wheel(false);
  } else if (ev->direction == GDK_SCROLL_SMOOTH) {
    double dx = 0, dy = 0;
    gdk_event_get_scroll_deltas(reinterpret_cast<GdkEvent*>(ev), &dx, &dy);
    if (dy < 0) host->canvas_wheel(true);
    if (dy > 0) host->canvas_wheel(false);
  }
  return TRUE;
}

}  // namespace

GtkWidget* GtkHost::build_canvas(int width, int height, bool exact_size) {
  canvas_ = gtk_drawing_area_new();
  if (exact_size) gtk_widget_set_size_request(canvas_, width, height);
  else gtk_widget_set_size_request(canvas_, kMinCanvasWidth, kMinCanvasHeight);
  gtk_widget_set_can_focus(canvas_, TRUE);
  gtk_widget_add_events(canvas_, GDK_BUTTON_PRESS_MASK | GDK_POINTER_MOTION_MASK | GDK_SCROLL_MASK |
                                     GDK_LEAVE_NOTIFY_MASK);
  g_signal_connect(canvas_, "draw", G_CALLBACK(on_draw), this);
  g_signal_connect(canvas_, "size-allocate", G_CALLBACK(on_size_allocate), this);
  g_signal_connect(canvas_, "button-press-event", G_CALLBACK(on_press), this);
  g_signal_connect(canvas_, "motion-notify-event", G_CALLBACK(on_motion), this);
  g_signal_connect(canvas_, "scroll-event", G_CALLBACK(on_scroll), this);
  // The surface draws its own cursor figures; the system pointer is hidden over the canvas.
  g_signal_connect(canvas_, "realize", G_CALLBACK(+[](GtkWidget* w, gpointer) {
                     GdkWindow* win = gtk_widget_get_window(w);
                     GdkCursor* blank =
                         gdk_cursor_new_for_display(gdk_window_get_display(win), GDK_BLANK_CURSOR);
                     gdk_window_set_cursor(win, blank);
                     g_object_unref(blank);
                   }),
                   nullptr);
  // The surface tells which area of its back buffer changed.
  app_.screen().surface[kMainSurface].on_present = [this](const PixelBox& b) {
    if (canvas_) gtk_widget_queue_draw_area(canvas_, b.x, b.y, b.width, b.height);
  };
  g_signal_connect(canvas_, "leave-notify-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEventCrossing*, gpointer self) -> gboolean {
                     App& app = static_cast<GtkHost*>(self)->app();
                     erase_cursor(app);  // the cursor figure lives in the back buffer
                     app.pointer.inside = false;
                     return FALSE;
                   }),
                   this);
  return canvas_;
}

GtkWidget* GtkHost::build_preview(int number, int width, int height, void (*redraw)(App&)) {
  GtkWidget* area = gtk_drawing_area_new();
  gtk_widget_set_size_request(area, width, height);
  PreviewArea* p = &previews_.emplace_back(PreviewArea{this, number, redraw});
  g_signal_connect(area, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer data) {
                     auto* pv = static_cast<PreviewArea*>(data);
                     pv->host->app().screen().surface[pv->number].on_present = nullptr;
                   }),
                   p);
  g_signal_connect(area, "draw", G_CALLBACK(+[](GtkWidget* w, cairo_t* cr, gpointer data) {
                     auto* pv = static_cast<PreviewArea*>(data);
                     paint_canvas(pv->host->app(), cr, gtk_widget_get_allocated_width(w),
                                  gtk_widget_get_allocated_height(w), pv->number);
                     return TRUE;
                   }),
                   p);
  g_signal_connect(
      area, "size-allocate", G_CALLBACK(+[](GtkWidget*, GdkRectangle* a, gpointer data) {
        auto* pv = static_cast<PreviewArea*>(data);
        App& app = pv->host->app();
        Screen& screen = app.screen();
        const Surface& s = screen.surface[pv->number];
        if (s.created && s.image && a->width == s.width && a->height == s.height) return;
        const int saved = screen.current;
        configure_surface(screen, pv->number, a->width, a->height, app.drawing.settings);
        set_current_surface(screen, saved);
        pv->redraw(app);
      }),
      p);
  app_.screen().surface[number].on_present = [area](const PixelBox&) {
    gtk_widget_queue_draw(area);
  };
  return area;
}

void GtkHost::canvas_press(int button, double px, double py, int presses) {
  if (canvas_button(app_, button, px, py, presses)) leave_main_loop();
}

void GtkHost::canvas_motion(double px, double py) { pointer_motion(app_, px, py); }

void GtkHost::canvas_wheel(bool up) {
  if (canvas_scroll(app_, up)) leave_main_loop();
}

void GtkHost::canvas_changed() {
  if (canvas_) gtk_widget_queue_draw(canvas_);
}

}  // namespace korav
