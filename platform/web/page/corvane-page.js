// The page around the intro: runs the program (corvane.js, corvane.wasm) and
// gives its platform what a desktop would: the canvas, keys, full screen,
// visibility, the message box, sound and the text file, and the assets that
// corvane-pack --web put beside the page in corvane.pack (a site without one
// shows the intro's own).
//
// Page parameters:
//   text=NAME        a page text file next to the page, used as corvane.dll
//   deterministic    the clock moves exactly 16 ms per frame; frames come as
//                    fast as the page can make them (as the capture tool)
//   keep=N,N,...     keep a copy of these frames' pictures (window.corvane.kept)
//   record-audio=S   keep the first S seconds of sound played from the first
//                    sample that is not silent (window.corvane.recordedAudio)
'use strict';
(() => {
  const params = new URLSearchParams(location.search);
  const stage = document.getElementById('stage');
  const canvas = document.getElementById('screen');
  const context2d = canvas.getContext('2d', { alpha: false });
  const status = document.getElementById('status');
  const box = document.getElementById('box');
  const kRate = 44100;  // the rate the intro's player plays at

  // What tests and curious users can look at.
  const corvane = window.corvane = {
    state: 'loading',     // loading, running, box, ended, failed
    frame: 0,             // the intro's frame count at the latest picture
    shownAt: 0,           // performance.now() when it was shown
    pictures: 0,          // pictures shown
    boxes: [],            // every box shown: { caption, text }
    answered: 0,          // boxes answered with OK
    kept: {},             // frame number: picture as base64 RGBA
    recordedAudio: null,  // base64 of interleaved signed 16-bit samples
    runs: 0,              // times the program was started in this page
  };
  const keep = new Set((params.get('keep') || '').split(',').filter(Boolean).map(Number));

  // --- Showing pictures, whole-number scaled and centred.
  let picture = null;
  function fitCanvas() {
    const scale = Math.max(1, Math.floor(Math.min(stage.clientWidth / canvas.width, stage.clientHeight / canvas.height)));
    canvas.style.width = canvas.width * scale + 'px';
    canvas.style.height = canvas.height * scale + 'px';
  }
  window.addEventListener('resize', fitCanvas);
  document.addEventListener('fullscreenchange', fitCanvas);

  function base64(bytes) {
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000)
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  }

  function showFrame(rgba, width, height, frame) {
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
      picture = null;
      fitCanvas();
    }
    if (!picture) picture = context2d.createImageData(width, height);
    picture.data.set(rgba);
    context2d.putImageData(picture, 0, 0);
    corvane.frame = frame;
    corvane.shownAt = performance.now();
    ++corvane.pictures;
    if (keep.has(frame) && !(frame in corvane.kept)) corvane.kept[frame] = base64(picture.data);
  }

  function setFullScreen(on) {
    if (on && !document.fullscreenElement && stage.requestFullscreen)
      stage.requestFullscreen().catch(() => {});  // refused without a recent gesture: stays in the page
    if (!on && document.fullscreenElement) document.exitFullscreen().catch(() => {});
  }

  // --- Waiting: the program waits for the browser at every empty queue.
  let waiter = null;
  function wake() {
    const resolve = waiter;
    waiter = null;
    if (resolve) resolve();
  }
  // A message to ourselves comes at the browser's next turn without the
  // delay that nested timers get; a timer set from there waits as asked.
  const channel = new MessageChannel();
  const turns = [];
  channel.port1.onmessage = () => turns.shift()();
  function nextTurn(callback) {
    turns.push(callback);
    channel.port2.postMessage(0);
  }
  function yieldFor(ms) {
    return new Promise((resolve) => nextTurn(ms > 0 ? () => setTimeout(resolve, ms) : resolve));
  }

  // --- The message box: modal, its OK is also the gesture that lets sound play.
  let boxDone = null;
  function messageBox(caption, text, icon) {
    corvane.boxes.push({ caption, text });
    box.querySelector('.caption').textContent = caption;
    box.querySelector('.text').textContent = text;
    const kind = { 16: ['error', '×'], 48: ['warning', '!'], 64: ['information', 'i'] }[icon] || ['', ''];
    const iconElement = box.querySelector('.icon');
    iconElement.className = 'icon ' + kind[0];
    iconElement.textContent = kind[1];
    const before = corvane.state;
    corvane.state = 'box';
    box.showModal();
    document.getElementById('box-ok').focus();
    return new Promise((resolve) => {
      boxDone = () => {
        boxDone = null;
        box.close();
        corvane.state = before;
        ++corvane.answered;
        resolve();
      };
    });
  }
  function answerBox(event) {
    if (!boxDone) return;
    event.preventDefault();
    event.stopPropagation();
    audio.resume();
    boxDone();
  }
  document.getElementById('box-ok').addEventListener('click', answerBox);
  box.addEventListener('cancel', answerBox);  // Escape answers OK, as on the desktop
  box.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' || event.key === 'Escape') answerBox(event);
    event.stopPropagation();
  });

  // --- Sound: one AudioContext at the intro's rate, an AudioWorklet per open.
  const recordFrames = Math.round(Number(params.get('record-audio') || 0) * kRate);
  const audio = {
    context: null,
    node: null,
    handle: 0,
    ready: false,
    async start() {
      try {
        this.context = new AudioContext({ sampleRate: kRate, latencyHint: 'playback' });
        await this.context.audioWorklet.addModule('audio-worklet.js');
        this.ready = true;
      } catch (error) {
        console.warn('corvane: no sound (' + error + ')');
      }
    },
    resume() {
      if (this.context && this.context.state === 'suspended') this.context.resume().catch(() => {});
    },
    available() { return this.ready; },
    open(rate) {
      if (!this.ready || this.node || rate !== this.context.sampleRate) return 0;
      this.node = new AudioWorkletNode(this.context, 'corvane-output', {
        numberOfInputs: 0, outputChannelCount: [2], processorOptions: { recordFrames },
      });
      this.node.port.onmessage = (event) => {
        if (event.data.need) this.feed(event.data.need);
        if (event.data.recorded) corvane.recordedAudio = base64(new Uint8Array(event.data.recorded.buffer));
      };
      this.node.connect(this.context.destination);
      this.resume();
      return ++this.handle;
    },
    close(handle) {
      if (!this.node || handle !== this.handle) return;
      this.node.port.postMessage({ stop: true });
      this.node.disconnect();
      this.node = null;
    },
    feed(frames) {
      const node = this.node;
      const module = run && run.module;
      const address = module ? module._corvane_audio_fill(frames) : 0;
      if (!node) return;
      if (!address) {
        node.port.postMessage({ declined: frames });
        return;
      }
      const samples = module.HEAP16.slice(address >> 1, (address >> 1) + frames * 2);
      node.port.postMessage({ samples }, [samples.buffer]);
    },
  };
  // Any gesture lets the sound start, for a run without a box.
  for (const type of ['pointerdown', 'keydown'])
    window.addEventListener(type, () => audio.resume(), { capture: true });

  // --- Keys and visibility go to the program as its platform's events.
  window.addEventListener('keydown', (event) => onKey(event, 1));
  window.addEventListener('keyup', (event) => onKey(event, 0));
  function onKey(event, down) {
    if (!run || run.ended || boxDone) return;
    const shift = (event.shiftKey ? 1 : 0) | (event.altKey ? 2 : 0) | (event.ctrlKey ? 4 : 0);
    // The browser's own use of F1 (help) and Escape does not apply here.
    if (event.keyCode === 27 || (event.keyCode >= 112 && event.keyCode <= 123)) event.preventDefault();
    run.module._corvane_page_key(event.keyCode, down, shift);
    wake();
  }
  document.addEventListener('visibilitychange', () => {
    if (!run || run.ended) return;
    run.module._corvane_page_visible(document.hidden ? 0 : 1);
    wake();
  });

  // --- Running the program, with a text file beside it or none.
  let run = null;
  const page = {
    deterministic: params.has('deterministic'),
    showFrame, setFullScreen, messageBox, yieldFor, audio,
    waitForEvent: () => new Promise((resolve) => { waiter = resolve; }),
    setTitle: (caption) => { document.title = caption; },
    setCursorVisible: (visible) => stage.classList.toggle('no-cursor', !visible),
    screenSize: () => [Math.max(screen.width, 640), Math.max(screen.height, 480)],
    isVisible: () => !document.hidden,
    ended: null,  // set per run
  };

  const kHint = 'Drop a page text file here, or <label for="pick">choose one</label>. ' +
                'Escape ends, F1 switches full screen.';
  let pack = null;  // corvane.pack, fetched once
  async function start(textFile) {
    if (run && !run.ended) await stop();
    const thisRun = run = { module: null, ended: false, done: null };
    const finished = new Promise((resolve) => { thisRun.done = resolve; });
    thisRun.finished = finished;
    corvane.state = 'running';
    corvane.frame = 0;
    corvane.kept = {};
    corvane.recordedAudio = null;
    ++corvane.runs;
    status.innerHTML = kHint;
    const module = await createCorvane({
      corvanePage: Object.assign({}, page, {
        textGiven: !!textFile,
        ended: (code) => {
          thisRun.ended = true;
          corvane.state = 'ended';
          setFullScreen(false);
          status.textContent = 'Corvane has ended (exit code ' + code + '). Reload the page to see it again, or drop a text file.';
          thisRun.done();
        },
      }),
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
      onAbort: (what) => { corvane.state = 'failed'; status.textContent = 'Corvane stopped: ' + what; thisRun.done(); },
    });
    thisRun.module = module;
    // The text file lies beside the program, as corvane.dll lies beside the desktop program.
    if (textFile) module.FS.writeFile('/corvane.dll', textFile);
    // The pack lies there too; the program reads it as a packed intro reads itself.
    if (pack) module.FS.writeFile('/corvane.pack', pack);
    module.callMain([]);
  }
  async function stop() {
    const current = run;
    current.module._corvane_page_quit();
    wake();
    await current.finished;
  }

  async function textFromParameter() {
    const name = params.get('text');
    if (!name) return null;
    const url = new URL(name, location.href);
    // Only a file next to the page (the same folder or below it).
    const folder = new URL('.', location.href).href;
    if (url.origin !== location.origin || !url.href.startsWith(folder)) {
      console.warn('corvane: the text file must lie next to the page: ' + name);
      return null;
    }
    try {
      const response = await fetch(url);
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      return new Uint8Array(await response.arrayBuffer());
    } catch (error) {
      console.warn('corvane: ' + name + ' could not be fetched (' + error.message + ')');
      return null;
    }
  }

  // The site's own assets: none (our own) when the server has no pack.
  async function packBesidePage() {
    try {
      const response = await fetch('corvane.pack');
      if (response.status === 404) return null;
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      return new Uint8Array(await response.arrayBuffer());
    } catch (error) {
      console.warn('corvane: corvane.pack could not be fetched (' + error.message + '); the intro\'s own assets are used');
      return null;
    }
  }

  // A file picked or dropped: the program starts again with it beside it.
  async function startWithFile(file) {
    if (!file) return;
    audio.resume();
    await start(new Uint8Array(await file.arrayBuffer()));
  }
  document.getElementById('pick').addEventListener('change', (event) => startWithFile(event.target.files[0]));
  window.addEventListener('dragover', (event) => { event.preventDefault(); document.body.classList.add('dragging'); });
  window.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  window.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    if (boxDone) return;  // the box is modal
    startWithFile(event.dataTransfer && event.dataTransfer.files[0]);
  });

  fitCanvas();
  Promise.all([audio.start(), textFromParameter(), packBesidePage()]).then(([, text, packed]) => {
    pack = packed;
    return start(text);
  }).catch((error) => {
    corvane.state = 'failed';
    status.textContent = 'Corvane could not start: ' + error;
  });
})();
