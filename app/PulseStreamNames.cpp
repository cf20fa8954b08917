// The names under which the sound server lists the program's sound.
//
// Qt 6.4's PulseAudio backend names its connection "QtPulseAudio:<pid>" and each stream
// "QtmPulseStream-<pid>-<address>", whatever the application is called, and libpulse sets the
// connection's application.name after it has read PULSE_PROP_* from the environment, so a
// desktop's volume control would show that instead of the program. These functions stand
// in for libpulse's (the program's own definitions come first when Qt's library calls them)
// and pass the call on with the program's name. Any other name is passed on unchanged.

#include <cstring>
#include <dlfcn.h>

namespace {

constexpr const char* ProgramName = "Vemo";

template <typename Function> Function Next(const char* symbol)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, symbol));
}

const char* Renamed(const char* name, const char* qtPrefix)
{
    return name && std::strncmp(name, qtPrefix, std::strlen(qtPrefix)) == 0 ? ProgramName : name;
}

} // namespace

extern "C" {

// Opaque to us: only passed through to libpulse.
struct pa_context;
struct pa_stream;
struct pa_mainloop_api;
struct pa_sample_spec;
struct pa_channel_map;
struct pa_proplist;

pa_context* pa_context_new(pa_mainloop_api* api, const char* name)
{
    using Function = pa_context* (*)(pa_mainloop_api*, const char*);
    static const Function next = Next<Function>("pa_context_new");
    return next ? next(api, Renamed(name, "QtPulseAudio:")) : nullptr;
}

pa_stream* pa_stream_new(pa_context* context, const char* name, const pa_sample_spec* sampleSpec,
                         const pa_channel_map* map)
{
    using Function = pa_stream* (*)(pa_context*, const char*, const pa_sample_spec*, const pa_channel_map*);
    static const Function next = Next<Function>("pa_stream_new");
    return next ? next(context, Renamed(name, "QtmPulseStream-"), sampleSpec, map) : nullptr;
}

pa_stream* pa_stream_new_with_proplist(pa_context* context, const char* name,
                                       const pa_sample_spec* sampleSpec, const pa_channel_map* map,
                                       pa_proplist* properties)
{
    using Function =
        pa_stream* (*)(pa_context*, const char*, const pa_sample_spec*, const pa_channel_map*, pa_proplist*);
    static const Function next = Next<Function>("pa_stream_new_with_proplist");
    return next ? next(context, Renamed(name, "QtmPulseStream-"), sampleSpec, map, properties) : nullptr;
}

} // extern "C"
