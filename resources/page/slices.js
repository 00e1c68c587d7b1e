// Work in slices: long loops give the browser back its thread every few milliseconds, so that
// the page keeps painting and answering input while a million photos are sorted out.

export var sliceMs = 12;
var channel = new MessageChannel();
var resumers = [];
channel.port1.onmessage = function () { resumers.shift()(); };
export function pause() {
  if (window.scheduler && typeof window.scheduler.yield === 'function') return window.scheduler.yield();
  return new Promise(function (resolve) { resumers.push(resolve); channel.port2.postMessage(0); });
}
// A job is one run of the slow path (filter, group, lay out); starting a new one cancels the old.
var currentJob = null;
export function startJob() {
  if (currentJob) currentJob.cancelled = true;
  currentJob = { cancelled: false, deadline: performance.now() + sliceMs };
  return currentJob;
}
// Call every few hundred iterations; resolves false when the job was cancelled meanwhile.
export async function keepGoing(job) {
  if (performance.now() < job.deadline) return !job.cancelled;
  await pause();
  job.deadline = performance.now() + sliceMs;
  return !job.cancelled;
}

