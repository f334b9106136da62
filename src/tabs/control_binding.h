#pragma once
// The one way from a page's widget to the camera: a change of a control, in the page's
// units, becomes a settings job in the camera's units (the control table's page scale),
// announced by the control's page lines. A slider let go sends its value once more as a
// forced job, so the final value reaches the camera.
#include <QObject>

#include "engine/control_id.h"

class CustomSlider;

namespace control_binding {

// "<change> %d \n" with the camera's value, then the job.
void sendChange(ControlId id, int pageValue);
// "\n********<release>, %d ********\n" with the page's value, "<force>: %d \n" with the
// camera's, then the forced job.
void sendRelease(ControlId id, int pageValue);
// The zoom rectangle let go: pan, then tilt, as forced jobs, logged as one move.
void sendPanTiltRelease(int pan, int tilt);

// Every value the signal carries is a change of the control.
template <typename Sender, typename Value>
void bindChange(Sender* sender, void (Sender::*signal)(Value), ControlId id) {
    QObject::connect(sender, signal, sender, [id](Value value) { sendChange(id, static_cast<int>(value)); });
}
// A slider's drags are changes, its release is sent forced.
void bindSlider(CustomSlider* slider, ControlId id);
// Only the release is sent (the page decides about the changes).
void bindRelease(CustomSlider* slider, ControlId id);

}  // namespace control_binding
