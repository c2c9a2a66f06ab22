#pragma once
// Where Kortvik and its plug-ins meet on the session bus. The interfaces
// themselves are the XML files in src/plugin; these are the names that both
// sides build their calls from.
namespace kortvikBus {

inline constexpr char kService[] = "org.kortvik.Kortvik";
inline constexpr char kServerPath[] = "/clsMainServer";
inline constexpr char kReferencePath[] = "/clsMainServerReference";
inline constexpr char kServerInterface[] = "org.kortvik.Kortvik.clsMainServer";
inline constexpr char kReferenceInterface[] = "org.kortvik.Kortvik.clsMainServerReference";
// A failed call on either object.
inline constexpr char kErrorName[] = "org.kortvik.Kortvik.Error";

// The plug-in that handles the "iMails" menu.
inline constexpr char kIMailHandlerService[] = "org.kortvik.Kortvik.IMailHandler";
inline constexpr char kIMailHandlerPath[] = "/IMailHandler";
inline constexpr char kIMailHandlerInterface[] = "org.kortvik.Kortvik.IMailHandler";

} // namespace kortvikBus
