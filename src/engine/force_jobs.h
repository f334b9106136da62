#pragma once
// The force handlers: what the main window does when the user releases a slider. Each
// logs one line and queues its control's job once more with the force flag set, so the
// final value reaches the camera even if a job of the drag was lost.
namespace force_jobs {

void forceZoom(int value);
// Queues the pan job, then the tilt job.
void forcePanTilt(int pan, int tilt);
void forceGain(int value);
void forceExp(int value);
void forceWb(int value);
void forceBrightnessm(int value);
void forceContrast(int value);
void forceHue(int value);
void forceSaturation(int value);
void forceSharpness(int value);
// The page's gamma times 10 is the camera's.
void forceGamma(int value);

}  // namespace force_jobs
