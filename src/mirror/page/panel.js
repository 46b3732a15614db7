// The mirror page's script: draws the panel from the monitor's JSON messages.
//
// The monitor sends a "full" message (every control, in stacking order, with the window's client
// size) when a client connects and whenever it had to skip what this client missed; "partial"
// messages carry only what changed. Each control becomes one absolutely placed element in
// #panel whose id is the control's name. What arrives is treated as untrusted: captions go in as
// text, never as markup, and every count and size is capped so that a hostile or broken message
// cannot hang the page.
"use strict";

(function () {
    const LIMITS = {
        controls: 2000,      // the window has about 180; more is a broken or hostile sender
        textChars: 500,      // a caption or tooltip longer than this is cut
        messageChars: 4e6,   // a message longer than this is not even parsed
        coordinate: 20000,   // pixels; the window is 706 x 564
        fontPx: 200,
        nameChars: 100,
    };
    const RETRY_MS = 1000;
    // The monitor sends something at least every two seconds, a change or word that nothing
    // changed. Heard from for longer than this, the connection counts as lost: a phone's network
    // can drop without closing anything, and the lights must not look current then.
    const SILENCE_MS = 5000;
    const DISCONNECTED = "mirror disconnected";
    // The page's own elements: a control named like one of them would take its place.
    const RESERVED_IDS = new Set(["panel", "mirror-status", "panel-frame"]);

    const statusBox = document.getElementById("mirror-status");
    const panel = document.getElementById("panel");
    const frame = document.getElementById("panel-frame");
    const controls = new Map(); // name -> { element, kind, text }
    let panelWidth = 0;
    let panelHeight = 0;

    function clampNumber(value, low, high) {
        if (typeof value !== "number" || !Number.isFinite(value)) return null;
        return Math.min(Math.max(Math.round(value), low), high);
    }

    function cappedText(value) {
        if (typeof value !== "string") return null;
        return value.length > LIMITS.textChars ? value.slice(0, LIMITS.textChars) : value;
    }

    // Only a plain family name reaches the style: no quotes, commas or semicolons.
    function fontFamily(value) {
        if (typeof value !== "string" || !/^[A-Za-z0-9 _-]{1,64}$/.test(value)) return null;
        return '"' + value + '", Arial, Helvetica, sans-serif';
    }

    function applyGeometry(entry, c) {
        const style = entry.element.style;
        const x = clampNumber(c.x, -LIMITS.coordinate, LIMITS.coordinate);
        const y = clampNumber(c.y, -LIMITS.coordinate, LIMITS.coordinate);
        const w = clampNumber(c.w, 0, LIMITS.coordinate);
        const h = clampNumber(c.h, 0, LIMITS.coordinate);
        if (x !== null) style.left = x + "px";
        if (y !== null) style.top = y + "px";
        if (entry.kind === "line") {
            // A line is drawn 1 px thick along its longer side.
            if (w !== null) entry.w = w;
            if (h !== null) entry.h = h;
            const across = (entry.w || 0) >= (entry.h || 0);
            style.width = (across ? Math.max(entry.w || 0, 1) : 1) + "px";
            style.height = (across ? 1 : Math.max(entry.h || 0, 1)) + "px";
            return;
        }
        if (w !== null) style.width = w + "px";
        if (h !== null) style.height = h + "px";
    }

    function applyLook(entry, c) {
        const element = entry.element;
        const style = element.style;
        // Invalid colours are refused by the style itself and leave the old one in place.
        if (typeof c.background === "string" && entry.kind !== "line") {
            style.backgroundColor = c.background;
        }
        if (typeof c.foreground === "string") {
            style.color = c.foreground;
            // A line is painted in its foreground colour, as the window draws it.
            if (entry.kind === "line") style.backgroundColor = c.foreground;
        }
        if (c.font && typeof c.font === "object") {
            const family = fontFamily(c.font.family);
            const px = clampNumber(c.font.px, 1, LIMITS.fontPx);
            if (family !== null) style.fontFamily = family;
            if (px !== null) style.fontSize = px + "px";
            if (typeof c.font.bold === "boolean") style.fontWeight = c.font.bold ? "bold" : "normal";
        }
        if (c.align === "left" || c.align === "center" || c.align === "right") {
            element.dataset.align = c.align;
        }
        if (typeof c.border === "boolean") element.classList.toggle("bordered", c.border);
    }

    function applyContent(entry, c) {
        const element = entry.element;
        const text = cappedText(c.text);
        if (text !== null && entry.kind !== "line" && text !== entry.text) {
            element.textContent = text;
            entry.text = text;
        }
        const tip = cappedText(c.tip);
        if (tip !== null) {
            if (tip === "") element.removeAttribute("title");
            else element.title = tip;
        }
        if (typeof c.visible === "boolean") element.hidden = !c.visible;
    }

    function applyControl(entry, c) {
        applyGeometry(entry, c);
        applyLook(entry, c);
        applyContent(entry, c);
    }

    function usableName(name) {
        return typeof name === "string" && name.length > 0 && name.length <= LIMITS.nameChars &&
            !RESERVED_IDS.has(name);
    }

    const KINDS = new Set(["label", "frame", "line", "rectangle", "button"]);

    function createControl(c) {
        const kind = KINDS.has(c.kind) ? c.kind : "label";
        const element = document.createElement("div");
        element.id = c.name;
        element.className = "control " + kind;
        const entry = { element: element, kind: kind, text: "" };
        applyControl(entry, c);
        return entry;
    }

    function fitToWidth() {
        if (panelWidth <= 0) return;
        // The whole panel is scaled to the page's width, as one picture: upright on a phone the
        // captions get small but every place and colour keeps its proportion; sideways it is
        // about the window's own size. Pinch zoom stays allowed.
        const available = document.documentElement.clientWidth;
        const scale = Math.min(available / panelWidth, 2);
        panel.style.transform = "scale(" + scale + ")";
        frame.style.width = Math.floor(panelWidth * scale) + "px";
        frame.style.height = Math.ceil(panelHeight * scale) + "px";
    }

    function drawFull(message) {
        const width = clampNumber(message.width, 1, LIMITS.coordinate);
        const height = clampNumber(message.height, 1, LIMITS.coordinate);
        if (width === null || height === null || !Array.isArray(message.controls)) return;
        const fragment = document.createDocumentFragment();
        controls.clear();
        const count = Math.min(message.controls.length, LIMITS.controls);
        for (let i = 0; i < count; i++) {
            const c = message.controls[i];
            if (!c || typeof c !== "object" || !usableName(c.name) || controls.has(c.name)) continue;
            const entry = createControl(c);
            controls.set(c.name, entry);
            fragment.appendChild(entry.element);
        }
        panelWidth = width;
        panelHeight = height;
        panel.style.width = width + "px";
        panel.style.height = height + "px";
        panel.replaceChildren(fragment);
        fitToWidth();
    }

    function drawChanges(message) {
        if (!Array.isArray(message.controls)) return;
        const count = Math.min(message.controls.length, LIMITS.controls);
        for (let i = 0; i < count; i++) {
            const c = message.controls[i];
            if (!c || typeof c !== "object" || typeof c.name !== "string") continue;
            const entry = controls.get(c.name);
            if (entry) applyControl(entry, c);
        }
    }

    let lastHeard = 0;
    let liveSocket = null;

    function receive(event) {
        lastHeard = Date.now();
        if (typeof event.data !== "string" || event.data.length > LIMITS.messageChars) return;
        let message;
        try {
            message = JSON.parse(event.data);
        } catch (error) {
            return;
        }
        if (!message || message.type !== "panel") return;
        if (message.full === true) drawFull(message);
        else if (message.full === false) drawChanges(message);
    }

    function showConnected(connected) {
        statusBox.textContent = connected ? "" : DISCONNECTED;
        // What is on the panel while disconnected is old: it is dimmed so that nobody reads it
        // as the gear's state now.
        document.body.classList.toggle("stale", !connected);
    }

    function liveAddress() {
        const address = new URL("live", window.location.href);
        address.protocol = address.protocol === "https:" ? "wss:" : "ws:";
        address.hash = "";
        address.search = "";
        return address.href;
    }

    function connect() {
        let socket;
        try {
            socket = new WebSocket(liveAddress());
        } catch (error) {
            window.setTimeout(connect, RETRY_MS);
            return;
        }
        socket.onopen = function () {
            lastHeard = Date.now();
            showConnected(true);
        };
        socket.onmessage = receive;
        socket.onclose = function () {
            lost(socket);
        };
        // An error is always followed by a close, which retries.
        liveSocket = socket;
    }

    // A connection closed, or silent for too long, is given up and a new one tried; the old
    // socket is told nothing more, since a close on a dead network may take minutes to come.
    function lost(socket) {
        if (socket !== liveSocket) return;
        liveSocket = null;
        socket.onclose = socket.onmessage = null;
        socket.close();
        showConnected(false);
        window.setTimeout(connect, RETRY_MS);
    }

    window.setInterval(function () {
        if (liveSocket && liveSocket.readyState === WebSocket.OPEN &&
            Date.now() - lastHeard > SILENCE_MS) {
            lost(liveSocket);
        }
    }, 1000);

    window.addEventListener("resize", fitToWidth);
    showConnected(false);
    connect();
})();
