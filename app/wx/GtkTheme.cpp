#include "app/wx/GtkTheme.h"

#include <gtk/gtk.h>

namespace brindle {

void InstallCompactTheme() {
  GtkSettings* settings = gtk_settings_get_default();
  if (settings) g_object_set(settings, "gtk-font-name", "DejaVu Sans 9", nullptr);

  static const char kCss[] =
      "button { min-height:16px; padding-top:2px; padding-bottom:2px; }"
      "combobox button.combo { min-height:16px; padding:2px 4px 2px 6px; }"
      "combobox arrow { min-width:12px; min-height:12px; }"
      "entry { min-height:16px; padding:1px 4px; }"
      "radiobutton, checkbutton { min-height:0; padding:0; }"
      "radiobutton radio, checkbutton check { margin:0 4px 0 0; }"
      "scale { padding-top:2px; padding-bottom:2px; }"
      // The progress bar fills its 26-pixel rectangle like a classic bar.
      "progressbar trough, progressbar progress { min-height:22px; }";
  GdkScreen* screen = gdk_screen_get_default();
  if (!screen) return;
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, kCss, -1, nullptr);
  gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider), 600);
  g_object_unref(provider);
}

}  // namespace brindle
