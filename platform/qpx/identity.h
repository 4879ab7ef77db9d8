#pragma once
// Who the control is: the identifiers by which the registry and every host find it. They were
// fixed once and never change, or hosts and stored registrations lose the class.

namespace qpx {

inline constexpr char kClassId[] = "{24144178-BFB8-489D-95A6-4E3F8BBB0A0F}";
inline constexpr char kTypeLibId[] = "{CA93ACB3-8C8F-44FD-B46B-116D70FDB916}";
inline constexpr char kDefaultInterfaceId[] = "{361ADA0A-F2B5-4416-8A9F-BA56F00D06AB}"; // _QPXCtrl
inline constexpr char kEventInterfaceId[] = "{DC29B1DA-5A99-45BA-8A1A-4F1731E32867}";   // __QPXCtrl

inline constexpr char kProgId[] = "QPXControl.QPXCtrl";
inline constexpr char kTypeLibName[] = "QPXControl";
inline constexpr char kTypeLibVersion[] = "3.0";
inline constexpr char kFileVersion[] = "1.0.0.0";
inline constexpr unsigned kMiscStatus = 0x20591;
inline constexpr int kToolboxBitmap = 30000;

// Members of _QPXCtrl, in this order.
inline constexpr int kDispSaveQPX = 0x60030000;
inline constexpr int kDispOpenQPX = 0x60030001;

// The control's resources, registered under the class identifier.
inline constexpr char kToolboxResource[] = ":/{24144178-BFB8-489D-95A6-4E3F8BBB0A0F}/30000";
inline constexpr char kFaceResource[] = ":/{24144178-BFB8-489D-95A6-4E3F8BBB0A0F}/face";

} // namespace qpx
