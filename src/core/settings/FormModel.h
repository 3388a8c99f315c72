// The live state of the main window: the texts of its boxes, its check marks and captions, and
// the values the window holds besides its controls. The widgets only mirror this model; every
// change goes through the application object, which then tells the widgets to refresh.
//
// Texts are bytes, one byte per character, as they travel in frames and files; they become
// Unicode only where a widget shows them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vireo {

inline constexpr const char* kMainCaption =
    "Vireo Earth Decoder for mobile APRS stations by Tamberlo";
inline constexpr const char* kConnectCaption = "&Connect AGWPE";
inline constexpr const char* kDisconnectCaption = "&Disconnect AGWPE";
inline constexpr const char* kAgwClosedText = "Connessione ad AGWPE chiusa";

// Window widths of the layouts, in twips.
inline constexpr float kCompactWidth = 5600;
inline constexpr float kInfoPanelWidth = 11050;
inline constexpr float kInfoPanelHeight = 2650;

struct WindowGeometry {  // twips
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    bool operator==(const WindowGeometry&) const = default;
};

struct FormModel {
    std::string caption = kMainCaption;
    WindowGeometry geometry;

    // Settings panel boxes.
    std::string txtAddr, txtPort, txtPosTime, txtTrackTime, txtTrackRange, txtTrackAngle,
        txtTrackHead, txtFollow, txtMyLat, txtMyLon, txtMinRange, txtMaxRange, txtRefresh;
    bool chkTrkBeep = false;
    bool chkRangeProportional = false;
    bool chkTrackHead = false;
    bool frmSetVisible = false;

    // Menu check marks and captions. No item carries a check mark when the window is created.
    std::string nmuConnect = kConnectCaption;
    bool mnuAutoConnect = false;
    bool mnuDebug = false;  // "More info &Panel": the information panel is shown
    bool mnuEnableTrack = false;
    bool mnuAutoIcon = false;
    bool mnuHeight = false;
    bool mnuLinkOn = false;
    std::string mnuTime = "Data 00/00/00  Ora 00:00";  // clock and status line of the menu bar
    std::string mnuFollow = "&Follow a station";
    std::string mnuUnfollow;  // "&Stop following " and the call while a station is followed
    bool mnuUnfollowVisible = false;
    std::string txtTrackThis;  // the call of the follow box

    // Information panel: the last decoded packet.
    std::string lblLat, lblLon, lblCourse, lblSpeed, lblSpeedKmh = "000.0", lblAlt = "+0000",
                                                     lblMsg, lblComment, lblStatus;
    std::string lblAGW;
    std::vector<std::string> List2;  // the lines of the last monitored frame
    bool Shape1Lit = false;          // activity lamp: green while packets are handled

    // Values held by the window besides its controls.
    std::int32_t RefreshMs = 6050;
    bool ShowTracks = true;
    bool UseAltitude = false;
    bool AutoIcon = false;
    bool FollowLinks = false;
    bool TracksAllocated = false;
    std::string StyleFile;
    std::string IconsFolder;
    std::string FollowedCall;
};

}  // namespace vireo
