#pragma once

// The local date and time, injectable so that tests can fix "now".

namespace tessivar {

struct LocalDateTime {
    int year = 0;  // four digits
    int month = 0; // 1-12
    int day = 0;   // 1-31
    int hour = 0;  // 0-23
    int minute = 0;
    int second = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

// The machine's clock in its local time zone.
class SystemClock final : public Clock {
  public:
    LocalDateTime now() const override;
};

} // namespace tessivar
