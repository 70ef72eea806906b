// The dashboard's page: one event stream from vesk-host, commands posted to /api/COMMAND.
"use strict";

const $ = (id) => document.getElementById(id);
const SVG = "http://www.w3.org/2000/svg";
const WINDOW_MS = 10 * 60 * 1000;

const state = {
  values: {},      // the status command's labelled values
  signal: [],      // {t, dbm, percent}
  messages: [],    // {sender, timestamp, body, seq}
  track: [[]],     // segments of {t, lat, lon, alt}
  totals: null,    // {t, tx, rx}
  events: [],
  seq: 0,
};

// ---- commands ----

async function run(name, args, errorBox) {
  if (errorBox) errorBox.textContent = "";
  let result;
  try {
    const response = await fetch("/api/" + name, {
      method: "POST",
      headers: { "Content-Type": "application/json" },
      body: JSON.stringify({ args: args || [] }),
      credentials: "same-origin",
    });
    result = await response.json();
  } catch (e) {
    result = { ok: false, reason: "vesk-host did not answer (" + e.message + ")" };
  }
  if (!result.ok && errorBox) errorBox.textContent = name + ": " + (result.reason || "failed");
  return result;
}

let refreshTimer = null;
function refreshSoon() {
  clearTimeout(refreshTimer);
  refreshTimer = setTimeout(async () => {
    applyStatus(await run("status", []));
    applyImages(await run("images", []));
  }, 250);
}

// ---- rendering ----

function el(tag, cls, text) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text !== undefined) e.textContent = text;
  return e;
}

function svg(tag, attrs, text) {
  const e = document.createElementNS(SVG, tag);
  for (const [k, v] of Object.entries(attrs)) e.setAttribute(k, v);
  if (text !== undefined) e.textContent = text;
  return e;
}

function applyStatus(result) {
  state.values = {};
  if (result && result.ok) for (const [label, value] of result.values) state.values[label] = value;
  for (const node of document.querySelectorAll("[data-value]")) {
    node.textContent = state.values[node.dataset.value] || "-";
  }
  const sim = state.values["SIM"] || "-";
  const simNode = $("sim-state");
  simNode.className = "big " + (sim === "ready" ? "state-good" : /PIN|PUK|blocked|missing/.test(sim) ? "state-bad" : "");
  $("pin-form").hidden = sim !== "PIN required";
  const session = state.values["session"];
  if (session) showSession(session.startsWith("connected") ? session.split(",")[0] : "disconnected");
  const selection = state.values["service selection"];
  if (selection && [...$("selection").options].some((o) => o.value === selection)) $("selection").value = selection;
  const auto = state.values["autoconnect"];
  if (auto === "on" || auto === "off") $("autoconnect").value = auto;
  const signal = /^(-?\d+) dBm, (\d+)%/.exec(state.values["signal"] || "");
  if (signal && state.signal.length === 0) showSignal(+signal[1], +signal[2]);
}

function showSession(text) {
  const node = $("session-state");
  node.textContent = text;
  node.className = "big " + (text.startsWith("connected") ? "state-good" : "");
}

let shownImages = null;
function applyImages(result) {
  // Drawn again only when the list changed, so that a refresh never takes a button from under a click.
  const key = JSON.stringify(result && result.ok ? result.values : null);
  if (key === shownImages) return;
  shownImages = key;
  const list = $("image-list");
  list.replaceChildren();
  if (!result || !result.ok) {
    list.append(el("li", "note", "no image list (attach a modem)"));
    return;
  }
  for (const [path, running] of result.values) {
    const item = el("li");
    const label = el("span", "path", path.split(/[\\/]/).pop());
    label.title = path;
    item.append(label);
    if (running) {
      item.append(el("span", "running", "running"));
    } else {
      const button = el("button", "", "Switch");
      button.addEventListener("click", () => run("switch", [path], $("image-error")).then(refreshSoon));
      item.append(button);
    }
    list.append(item);
  }
}

function showSignal(dbm, percent) {
  $("dbm").textContent = dbm;
  $("percent").textContent = percent;
  const bars = $("bars");
  bars.replaceChildren();
  const lit = percent <= 0 ? 0 : Math.min(5, Math.ceil(percent / 20));
  for (let i = 0; i < 5; i++) {
    const h = 6 + i * 6;
    bars.append(svg("rect", { x: i * 10, y: 30 - h, width: 7, height: h, rx: 1,
      fill: i < lit ? "var(--accent)" : "#d5dbe3" }));
  }
}

function drawSignalChart() {
  const chart = $("signal-chart");
  chart.replaceChildren();
  const now = Date.now();
  const W = 600, H = 160, top = -50, bottom = -115;
  const x = (t) => W - ((now - t) / WINDOW_MS) * W;
  const y = (dbm) => ((top - Math.max(bottom, Math.min(top, dbm))) / (top - bottom)) * H;
  for (let dbm = -60; dbm > bottom; dbm -= 20) {
    chart.append(svg("line", { x1: 0, x2: W, y1: y(dbm), y2: y(dbm), class: "grid" }));
    chart.append(svg("text", { x: 4, y: y(dbm) - 3 }, String(dbm)));
  }
  for (let m = 2; m < 10; m += 2) {
    const gx = x(now - m * 60000);
    chart.append(svg("line", { x1: gx, x2: gx, y1: 0, y2: H, class: "grid" }));
    chart.append(svg("text", { x: gx + 3, y: H - 4 }, "-" + m + " min"));
  }
  const points = state.signal.filter((s) => now - s.t <= WINDOW_MS);
  if (points.length > 0) {
    const d = points.map((s, i) => (i ? "L" : "M") + x(s.t).toFixed(1) + " " + y(s.dbm).toFixed(1)).join(" ");
    const last = points[points.length - 1];
    chart.append(svg("path", { d: d + " L" + W + " " + y(last.dbm).toFixed(1), class: "line" }));
    chart.append(svg("circle", { cx: x(last.t).toFixed(1), cy: y(last.dbm).toFixed(1), r: 3.5, fill: "var(--accent)" }));
  }
}

function drawInbox() {
  const list = $("messages");
  list.replaceChildren();
  const sorted = [...state.messages].sort((a, b) => b.timestamp - a.timestamp || b.seq - a.seq);
  for (const m of sorted) {
    const item = el("li");
    item.append(el("span", "from", m.sender));
    const when = new Date(m.timestamp * 1000);
    const time = el("time", "", isNaN(when) ? String(m.timestamp) : when.toLocaleString());
    time.dateTime = isNaN(when) ? "" : when.toISOString();
    item.append(time, el("p", "", m.body));
    list.append(item);
  }
  $("inbox-count").textContent = state.messages.length ? "(" + state.messages.length + ")" : "";
}

// A niceish grid step in degrees for a span.
function gridStep(span) {
  const steps = [0.0001, 0.0002, 0.0005, 0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 45];
  return steps.find((s) => span / s <= 6) || 90;
}

// Latitude and longitude to scale: a degree of longitude is cos(latitude) of a degree of latitude.
function drawTrack() {
  const chart = $("track");
  chart.replaceChildren();
  const W = 600, H = 300, pad = 30;
  const all = state.track.flat();
  if (all.length === 0) {
    chart.append(svg("text", { x: W / 2 - 40, y: H / 2 }, "no track yet"));
    return;
  }
  let minLat = Math.min(...all.map((p) => p.lat)), maxLat = Math.max(...all.map((p) => p.lat));
  let minLon = Math.min(...all.map((p) => p.lon)), maxLon = Math.max(...all.map((p) => p.lon));
  const k = Math.cos(((minLat + maxLat) / 2) * Math.PI / 180);
  const spanX = Math.max((maxLon - minLon) * k, 0.0005), spanY = Math.max(maxLat - minLat, 0.0005);
  const scale = Math.min((W - 2 * pad) / spanX, (H - 2 * pad) / spanY);
  const cLat = (minLat + maxLat) / 2, cLon = (minLon + maxLon) / 2;
  const px = (lon) => W / 2 + (lon - cLon) * k * scale;
  const py = (lat) => H / 2 - (lat - cLat) * scale;
  const latStep = gridStep(H / scale), lonStep = gridStep(W / scale / k);
  const lat0 = cLat - H / 2 / scale, lon0 = cLon - W / 2 / scale / k;
  for (let lat = Math.ceil(lat0 / latStep) * latStep; py(lat) > 0; lat += latStep) {
    chart.append(svg("line", { x1: 0, x2: W, y1: py(lat), y2: py(lat), class: "grid" }));
    chart.append(svg("text", { x: 3, y: py(lat) - 3 }, lat.toFixed(4) + "°"));
  }
  for (let lon = Math.ceil(lon0 / lonStep) * lonStep; px(lon) < W; lon += lonStep) {
    chart.append(svg("line", { x1: px(lon), x2: px(lon), y1: 0, y2: H, class: "grid" }));
    chart.append(svg("text", { x: px(lon) + 3, y: H - 4 }, lon.toFixed(4) + "°"));
  }
  for (const segment of state.track) {
    if (segment.length === 0) continue;
    const d = segment.map((p, i) => (i ? "L" : "M") + px(p.lon).toFixed(1) + " " + py(p.lat).toFixed(1)).join(" ");
    chart.append(svg("path", { d, class: "track" }));
  }
  const last = all[all.length - 1];
  chart.append(svg("circle", { cx: px(last.lon), cy: py(last.lat), r: 5, fill: "var(--bad)" }));
  // A scale bar of a round number of metres.
  const metresPerPixel = 111320 / scale;
  const metres = [10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000].find((m) => m / metresPerPixel >= 60) || 100000;
  const bar = metres / metresPerPixel;
  chart.append(svg("line", { x1: W - pad - bar, x2: W - pad, y1: H - 18, y2: H - 18, stroke: "#333", "stroke-width": 2 }));
  chart.append(svg("text", { x: W - pad - bar, y: H - 22 }, metres >= 1000 ? metres / 1000 + " km" : metres + " m"));
}

function gpx() {
  const esc = (s) => s.replace(/[<&>]/g, (c) => ({ "<": "&lt;", "&": "&amp;", ">": "&gt;" }[c]));
  const segments = state.track.filter((s) => s.length).map((s) => "<trkseg>\n" + s.map((p) =>
    `<trkpt lat="${p.lat.toFixed(7)}" lon="${p.lon.toFixed(7)}">` + (p.alt != null ? `<ele>${p.alt}</ele>` : "") +
    `<time>${esc(new Date(p.t).toISOString())}</time></trkpt>`).join("\n") + "\n</trkseg>").join("\n");
  return '<?xml version="1.0" encoding="UTF-8"?>\n<gpx version="1.1" creator="vesk-host dashboard" ' +
    'xmlns="http://www.topografix.com/GPX/1/1">\n<trk><name>vesk-host</name>\n' + segments + "\n</trk>\n</gpx>\n";
}

function bytes(n) {
  const units = ["B", "KB", "MB", "GB"];
  let i = 0;
  while (n >= 1024 && i < units.length - 1) { n /= 1024; i++; }
  return (i ? n.toFixed(1) : n) + " " + units[i];
}

function showEvent(e) {
  const list = $("event-list");
  const item = el("li");
  const when = new Date(e.utc);
  item.append(el("time", "", isNaN(when) ? "" : when.toLocaleTimeString()));
  const params = Object.entries(e.params || {}).map(([k, v]) => k + "=" + (typeof v === "string" ? JSON.stringify(v) : v));
  item.append(document.createTextNode((e.name || "code " + e.code).replace("WWAN_NOTIFICATION_", "").toLowerCase() +
    (params.length ? " " + params.join(" ") : "")));
  list.prepend(item);
  while (list.children.length > 200) list.lastChild.remove();
}

// ---- events ----

const refreshing = new Set(["SDK_INITIALIZING", "SDK_CLOSED", "ATTACHED_TO_DEVICE", "DETACHED_FROM_DEVICE",
  "SIM_STATUS", "DEVICE_INFO_READY", "READY_TO_CONNECT", "CONNECTED", "DISCONNECTED", "SERVICE", "ROAMING",
  "PHONE_NUMBER_ACQUIRED", "VESK_IMAGE_SWITCHING_COMPLETE", "CELLULAR_DEVICE_STATE"]);

let live = false;
function onNotification(e) {
  const name = (e.name || "").replace("WWAN_NOTIFICATION_", "");
  const p = e.params || {};
  const t = Date.parse(e.utc) || Date.now();
  switch (name) {
    case "RSSI":
      state.signal.push({ t, dbm: p.dBm, percent: p.percent });
      while (state.signal.length && t - state.signal[0].t > WINDOW_MS) state.signal.shift();
      showSignal(p.dBm, p.percent);
      if (live) drawSignalChart();
      break;
    case "SMS_EVENT":
      if (p.sender !== undefined) state.messages.push({ sender: p.sender, timestamp: p.timestamp, body: p.body, seq: state.seq++ });
      if (live) drawInbox();
      break;
    case "GPS_INFO_CHANGED":
      if (p.fix) {
        state.track[state.track.length - 1].push({ t, lat: p.latitude, lon: p.longitude, alt: p.altitude });
        $("fix").textContent = `fix ${p.latitude.toFixed(5)}°, ${p.longitude.toFixed(5)}°` +
          (p.speed != null ? `, ${p.speed} km/h` : "") + (p.satellites != null ? `, ${p.satellites} satellites` : "");
      } else if (state.track[state.track.length - 1].length) {
        state.track.push([]);
        $("fix").textContent = "no fix";
      }
      if (live) drawTrack();
      break;
    case "BYTES_TX_RX":
      if (p.transmitted !== undefined) {
        const before = state.totals;
        state.totals = { t, tx: p.transmitted, rx: p.received };
        $("tx").textContent = bytes(p.transmitted);
        $("rx").textContent = bytes(p.received);
        if (before && t > before.t) {
          const s = (t - before.t) / 1000;
          $("tx-rate").textContent = bytes(Math.max(0, (p.transmitted - before.tx) / s)) + "/s";
          $("rx-rate").textContent = bytes(Math.max(0, (p.received - before.rx) / s)) + "/s";
        }
      }
      break;
    case "CONNECTED":
      showSession("connected");
      break;
    case "DISCONNECTED":
      showSession("disconnected");
      $("tx-rate").textContent = $("rx-rate").textContent = "";
      break;
    case "SIM_STATUS":
      if (p.sim) $("sim-state").textContent = p.sim;
      break;
  }
  showEvent(e);
  if (live && refreshing.has(name)) refreshSoon();
}

function connect() {
  const source = new EventSource("/events");
  source.onmessage = (message) => {
    const e = JSON.parse(message.data);
    if (e.kind === "state") {
      live = false;
      Object.assign(state, { signal: [], messages: [], track: [[]], totals: null });
      $("event-list").replaceChildren();
      applyStatus(e.status);
      applyImages(e.images);
    } else if (e.kind === "live") {
      live = true;
      drawSignalChart();
      drawInbox();
      drawTrack();
      $("link").textContent = "live";
      $("link").className = "pill on";
    } else if (e.kind === "notification") {
      onNotification(e);
    }
  };
  source.onerror = () => {
    $("link").textContent = "reconnecting";
    $("link").className = "pill off";
  };
}

// ---- controls ----

function wire() {
  for (const button of document.querySelectorAll("[data-command]")) {
    button.addEventListener("click", () => run(button.dataset.command, [], $("module-error")).then(refreshSoon));
  }
  $("pin-form").addEventListener("submit", async (ev) => {
    ev.preventDefault();
    const pin = $("pin");
    const result = await run("unlock", [pin.value], $("sim-error"));
    pin.value = "";
    if (result.ok) refreshSoon();
  });
  const credentials = () => {
    const args = [$("apn").value.trim()];
    const user = $("user").value, password = $("password").value;
    if (user || password) args.push(user);
    if (password) args.push(password);
    return args;
  };
  $("connect-form").addEventListener("submit", (ev) => {
    ev.preventDefault();
    run("connect", credentials(), $("session-error"));
  });
  $("disconnect").addEventListener("click", () => run("disconnect", [], $("session-error")));
  $("selection").addEventListener("change", () =>
    run("service", [$("selection").value], $("selection-error")).then(refreshSoon));
  $("autoconnect").addEventListener("change", () => {
    const on = $("autoconnect").value === "on";
    run("autoconnect", on ? ["on", ...credentials()] : ["off"], $("autoconnect-error")).then(refreshSoon);
  });
  $("gps-start").addEventListener("click", () => run("gps", ["start"], $("gps-error")).then(refreshSoon));
  $("gps-stop").addEventListener("click", () => run("gps", ["stop"], $("gps-error")).then(refreshSoon));
  $("gpx").addEventListener("click", () => {
    $("gpx").href = URL.createObjectURL(new Blob([gpx()], { type: "application/gpx+xml" }));
  });
  $("diag-form").addEventListener("submit", async (ev) => {
    ev.preventDefault();
    const args = [$("diag-code").value.trim(), ...$("diag-param").value.trim().split(/\s+/).filter(Boolean)];
    const result = await run("diag", args, $("diag-error"));
    $("diag-output").textContent = (result.output || []).join("\n");
  });
  // The chart's time axis moves on; this timer is the page's own and never reaches the server.
  setInterval(() => { if (live) drawSignalChart(); }, 10000);
}

wire();
showSignal(0, 0);
$("dbm").textContent = $("percent").textContent = "-";
connect();
