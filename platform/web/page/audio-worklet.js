// The intro's sound output: plays the player's signed 16-bit stereo from a
// short queue and asks the page for more before it runs dry. Running dry is
// heard as silence and takes nothing out of the music.
'use strict';

const kLowWater = 6144;  // frames queued below which more is asked for
const kAsk = 2048;       // frames asked for at a time

class CorvaneOutput extends AudioWorkletProcessor {
  constructor(options) {
    super();
    this.queue = [];     // Int16Array chunks, interleaved stereo
    this.offset = 0;     // frames of queue[0] already played
    this.queued = 0;     // frames in the queue not yet played
    this.asked = 0;      // frames asked for and not yet arrived
    this.stopped = false;
    // For tests: the first `recordFrames` frames played from the first one
    // that is not silent.
    this.recordFrames = (options.processorOptions && options.processorOptions.recordFrames) || 0;
    this.record = this.recordFrames ? new Int16Array(this.recordFrames * 2) : null;
    this.recorded = 0;
    this.port.onmessage = (event) => {
      const data = event.data;
      if (data.stop) this.stopped = true;
      if (data.declined) this.asked = Math.max(0, this.asked - data.declined);
      if (data.samples) {
        this.queue.push(data.samples);
        const frames = data.samples.length / 2;
        this.queued += frames;
        this.asked = Math.max(0, this.asked - frames);
      }
    };
  }

  keep(left, right) {
    if (!this.record || this.recorded >= this.recordFrames) return;
    if (this.recorded === 0 && left === 0 && right === 0) return;
    this.record[this.recorded * 2] = left;
    this.record[this.recorded * 2 + 1] = right;
    if (++this.recorded === this.recordFrames) this.port.postMessage({ recorded: this.record });
  }

  process(inputs, outputs) {
    if (this.stopped) return false;
    const [left, right] = outputs[0];
    for (let i = 0; i < left.length; ++i) {
      if (this.queued === 0) {
        left[i] = right[i] = 0;
        continue;
      }
      const chunk = this.queue[0];
      const l = chunk[this.offset * 2], r = chunk[this.offset * 2 + 1];
      left[i] = l / 32768;
      right[i] = r / 32768;
      this.keep(l, r);
      --this.queued;
      if (++this.offset * 2 >= chunk.length) {
        this.queue.shift();
        this.offset = 0;
      }
    }
    if (this.queued + this.asked < kLowWater) {
      this.asked += kAsk;
      this.port.postMessage({ need: kAsk });
    }
    return true;
  }
}

registerProcessor('corvane-output', CorvaneOutput);
