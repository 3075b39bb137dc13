#pragma once

// Tells the SDK's threads counter, for the life of the scope, that the current thread does SDK
// work. Ends on every way out of the scope, exceptions included.
class SdkThreadRegistration {
public:
  SdkThreadRegistration();
  ~SdkThreadRegistration();
  SdkThreadRegistration(const SdkThreadRegistration&) = delete;
  SdkThreadRegistration& operator=(const SdkThreadRegistration&) = delete;
};
