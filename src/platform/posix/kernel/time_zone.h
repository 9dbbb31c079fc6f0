// The time zone as the kernel functions read it (time.cpp).
#pragma once

// TZ has changed: the next time function reads the zone again.
void PalZoneSettingChanged();
