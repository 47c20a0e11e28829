// The status page: fills itself from /status, then follows /events. Every text from the air or a
// peer goes in as textContent, never as markup.
"use strict";

const SILENCE_MS = 20000;  // the encoder sends a heartbeat every 15 s
const query = location.search;  // a token given to the page goes on to its requests
let lastHeard = 0;

const $ = (id) => document.getElementById(id);

function setText(id, text) { $(id).textContent = text; }

function lamp(id, on) { $(id).classList.toggle("acesa", !!on); }

function fill(list, items, make) {
  list.replaceChildren(...items.map(make));
}

function pair(term, value) {
  const dt = document.createElement("dt");
  dt.textContent = term;
  const dd = document.createElement("dd");
  dd.textContent = value;
  return [dt, dd];
}

function pairs(list, entries) {
  list.replaceChildren(...entries.flatMap(([term, value]) => pair(term, value)));
}

function localTime(iso) {
  return iso ? new Date(iso).toLocaleString("pt-PT") : "—";
}

function showAir(air, alarms) {
  if (!air) {
    setText("ps", "--------");
    return;
  }
  setText("pi", "PI " + (air.pi || "----"));
  setText("pty", "PTY " + air.pty.code + " " + air.pty.name + (air.ptyn ? " (" + air.ptyn + ")" : ""));
  setText("relogio", air.clock ? "Hora " + air.clock.utc + " UTC" : "");
  setText("ps", air.ps.padEnd(8, " "));
  setText("ciclo", air.ps_cycle.length > 1 ? "Ciclo: " + air.ps_cycle.join(" · ") : "");
  for (const flag of ["a", "b"]) {
    const line = air.rt[flag];
    setText("rt-" + flag, line.complete ? line.text : "…");
    $("rt-" + flag).parentElement.classList.toggle("no-ar", line.on_air);
  }
  setText("artista", air.rtplus.artist || "—");
  setText("titulo", air.rtplus.title || "—");
  lamp("l-ta", air.ta);
  lamp("l-tp", air.tp);
  lamp("l-ms", air.ms);
  lamp("l-ct", air.clock);
  lamp("l-rtplus", air.rtplus.item_running);
  pairs($("estacao"), [
    ["PI", air.pi || "—"], ["ECC", air.ecc || "—"], ["DI", air.di ?? "—"],
    ["AF", air.af_khz === null ? "—" : air.af_khz.length === 0 ? "nenhuma"
        : air.af_khz.map((k) => (k / 1000).toFixed(1)).join(", ") + " MHz"],
    ...air.af_b_khz.map((list) => ["AF " + (list.tuned / 1000).toFixed(1),
        list.same.map((k) => (k / 1000).toFixed(1)).join(", ") + " MHz"]),
    ["PIN", air.pin ? "dia " + air.pin.day + ", " + air.pin.hour + ":" +
        String(air.pin.minute).padStart(2, "0") : "—"],
    ["PS longo", air.lps || "—"],
    ["eRT", air.ert || "—"],
    // The other networks, each as a car radio would offer it: its name, and whether its traffic
    // announcement is on now.
    ...air.eon.map((n) => ["EON " + n.pi, (n.ps.trim() || "…") + (n.tp ? " · TP" : "") +
        (n.ta ? " · TA" : "")]),
  ]);
}

function showTargets(targets) {
  fill($("destinos"), targets, (t) => {
    const row = document.createElement("tr");
    const name = document.createElement("td");
    name.textContent = t.name;
    const state = document.createElement("td");
    state.className = t.up ? "em-cima" : "em-baixo";
    state.textContent = t.up ? "ligado" : "em baixo" + (t.down_since ? " desde " + t.down_since : "") +
        (t.retry_in_s !== null ? " · nova tentativa em " + t.retry_in_s + " s" : "");
    const refusals = document.createElement("td");
    refusals.textContent = t.refusals;
    row.append(name, state, refusals);
    return row;
  });
  if (targets.length === 0) {
    const row = document.createElement("tr");
    const cell = document.createElement("td");
    cell.colSpan = 3;
    cell.className = "calmo";
    cell.textContent = "Nenhum destino";
    row.append(cell);
    $("destinos").append(row);
  }
}

function showAlarms(alarms) {
  lamp("l-alarme", alarms.length > 0);
  if (alarms.length === 0) {
    fill($("alarmes"), [0], () => {
      const li = document.createElement("li");
      li.className = "calmo";
      li.textContent = "Sem alarmes";
      return li;
    });
    return;
  }
  fill($("alarmes"), alarms, (a) => {
    const li = document.createElement("li");
    li.className = "mau";
    li.textContent = a.message + " (desde " + localTime(a.since) + ")";
    return li;
  });
}

function showSources(sources) {
  pairs($("fontes"), Object.entries(sources).map(([name, entry]) =>
      [name, entry ? localTime(entry.time) + (entry.address ? " de " + entry.address : "") : "—"]));
}

function showSchedule(schedule) {
  $("agenda-seccao").hidden = !schedule;
  if (!schedule) return;
  pairs($("agenda"), [
    ["No ar", schedule.on_air || "—"],
    ["A seguir", schedule.next ? schedule.next + " (" + localTime(schedule.next_starts) + ")" : "—"],
  ]);
}

function showLog(lines) {
  const log = $("registo");
  const atEnd = log.scrollTop + log.clientHeight >= log.scrollHeight - 4;
  fill(log, lines, (line) => {
    const li = document.createElement("li");
    li.textContent = line;
    if (line.includes("Alarme:")) li.className = "alarme";
    return li;
  });
  if (atEnd) log.scrollTop = log.scrollHeight;
}

function show(status) {
  showAir(status.air, status.alarms);
  showAlarms(status.alarms);
  showTargets(status.targets);
  showSources(status.sources);
  showSchedule(status.schedule);
  showLog(status.log.recent);
}

function reachable(yes) {
  const badge = $("ligacao");
  badge.textContent = yes ? "Ligado ao codificador" : "Codificador inacessível";
  badge.className = "estado " + (yes ? "ok" : "falha");
  document.body.classList.toggle("sem-ligacao", !yes);
}

function heard() {
  lastHeard = Date.now();
  reachable(true);
}

function follow() {
  const events = new EventSource("events" + query);
  events.addEventListener("status", (e) => { heard(); show(JSON.parse(e.data)); });
  events.addEventListener("heartbeat", heard);
  events.onerror = () => reachable(false);  // it tries again by itself
}

setInterval(() => { if (Date.now() - lastHeard > SILENCE_MS) reachable(false); }, 1000);
fetch("status" + query).then((r) => r.json()).then((s) => { heard(); show(s); })
    .catch(() => reachable(false));
follow();
