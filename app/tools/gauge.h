// The gauge tool ("b_gauge"): asks for two points, measures them and shows the dialog "Gauge";
// repeats until cancelled.
#pragma once

namespace korav {

struct App;

void tool_gauge(App& app);

}  // namespace korav
