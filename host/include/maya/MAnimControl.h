#pragma once
#include <maya/MStatus.h>
#include <maya/MTime.h>

// Playback range and the current time of the scene.
class MAnimControl {
public:
    enum PlaybackMode { kPlaybackOnce, kPlaybackLoop, kPlaybackOscillate };

    static MTime minTime();
    static MTime maxTime();
    static MTime animationStartTime();
    static MTime animationEndTime();
    static MStatus setMinTime(const MTime& t);
    static MStatus setMaxTime(const MTime& t);
    static MStatus setMinMaxTime(const MTime& min, const MTime& max);
    static MStatus setAnimationStartTime(const MTime& t);
    static MStatus setAnimationEndTime(const MTime& t);
    static MStatus setAnimationStartEndTime(const MTime& start, const MTime& end);
    static MTime currentTime();
    static MStatus setCurrentTime(const MTime& t);
    static MTime playbackBy() { return MTime(1.0); }
    static PlaybackMode playbackMode() { return kPlaybackLoop; }
    static bool isPlaying() { return false; }
};
