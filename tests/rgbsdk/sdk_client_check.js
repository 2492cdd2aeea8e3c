// A lighting program's view of the running program, through the public
// openrgb-sdk client from the npm registry. The expectations are written
// out here from the product tables and the skin's English texts; what the
// devices received is read from the simulator, not from this client.
//
// usage: node sdk_client_check.js <client module dir> <port> <talvenctl>

const { execFileSync } = require("child_process")
const assert = require("assert/strict")
const net = require("net")
const path = require("path")

const [moduleDir, port, talvenctl] = process.argv.slice(2)
const { Client } = require(path.join(moduleDir, "node_modules", "openrgb-sdk"))

const sleep = ms => new Promise(resolve => setTimeout(resolve, ms))

const padModes = ["Direct", "Wave", "Spectrum cycle", "Spectrum breathing", "Static", "Blink", "Ripple",
                  "Reverse ripple", "Off"]
const keyboardModes = ["Wave", "Neon stream", "Rings", "Snake", "Static", "Breathing", "Gradient", "Ripple",
                       "Fast ripple", "Light on press", "Dim on press", "Cross", "Starburst", "Rain", "Starlight",
                       "Flicker", "Aurora", "Pulse", "Twinkle", "Radar", "Custom", "Off"]
// In product table order; type 5 keyboard, 6 mouse, 7 mouse mat, 8 headset.
const expected = [
    { name: "TALVEN-M7351", type: 6, leds: 8,
      modes: ["Direct", "Wave", "Spectrum cycle", "Colour breathing", "Blink", "Static", "Colour blink",
              "Spectrum breathing", "Off", "Ripple wave"] },
    { name: "TALVEN-K88", type: 5, leds: 126, modes: keyboardModes },
    { name: "TALVEN-P6627", type: 7, leds: 15, modes: padModes },
    { name: "TALVEN-H6533", type: 8, leds: 13, modes: padModes },
    { name: "TALVEN-K7440", type: 5, leds: 126, modes: keyboardModes },
]

function sim(...words) {
    const line = execFileSync(talvenctl, ["sim", ...words], { encoding: "utf8" }).trim()
    assert.match(line, /^ok/, line)
    return line.slice(3)
}

function bitsSet(hex) {
    let n = 0
    for (const digit of hex) for (let v = parseInt(digit, 16); v; v >>= 1) n += v & 1
    return n
}

async function until(what, test, ms = 30000) {
    const end = Date.now() + ms
    for (;;) {
        const value = await test()
        if (value) return value
        if (Date.now() > end) throw new Error("timed out waiting for " + what)
        await sleep(100)
    }
}

// A client that sends nothing and counts DEVICE_LIST_UPDATED (id 100) packets.
async function listenForListUpdates() {
    const state = { updates: 0, socket: net.connect(+port, "127.0.0.1") }
    let buffer = Buffer.alloc(0)
    state.socket.on("data", data => {
        buffer = Buffer.concat([buffer, data])
        while (buffer.length >= 16) {
            const size = buffer.readUInt32LE(12)
            if (buffer.length < 16 + size) break
            if (buffer.toString("ascii", 0, 4) === "ORGB" && buffer.readUInt32LE(8) === 100) state.updates++
            buffer = buffer.subarray(16 + size)
        }
    })
    await new Promise((resolve, reject) => state.socket.once("connect", resolve).once("error", reject))
    await sleep(300)  // taken in by the server
    return state
}

async function connect() {
    return until("the server", async () => {
        const client = new Client("talven test", +port, "127.0.0.1")
        try {
            await client.connect()
            return client
        } catch (e) {
            return null
        }
    }, 60000)
}

async function main() {
    const client = await connect()
    assert.equal(client.protocolVersion, 5, "the client's version 5 is agreed")
    await until("five products", async () => (await client.getControllerCount()) === 5, 60000)

    const devices = await client.getAllControllerData()
    devices.forEach((d, i) => {
        assert.equal(d.name, expected[i].name)
        assert.equal(d.type, expected[i].type, d.name)
        assert.equal(d.vendor, "TALVEN")
        assert.equal(d.leds.length, expected[i].leds, d.name)
        assert.equal(d.colors.length, expected[i].leds, d.name)
        assert.equal(d.zones.length, 1, d.name)
        assert.equal(d.zones[0].ledsCount, expected[i].leds, d.name)
        assert.deepEqual(d.modes.map(m => m.name), expected[i].modes, d.name)
    })

    // The keyboard's Snake is mode 3; its record (profile 0, bytes 1..3) holds
    // mode, brightness and the speed stored as 4 - speed.
    await client.updateMode(1, { name: "Snake", speed: 1 })
    await until("the keyboard's record", () => sim("memory", "keyboard", "config", "0", "4").slice(2, 4) === "03")
    assert.equal(sim("memory", "keyboard", "config", "3", "1"), "03")
    const keyboard = await client.getControllerData(1)
    assert.equal(keyboard.modes[keyboard.activeMode].name, "Snake")

    // In its custom mode (20) the keyboard lights the keys a client colours
    // and darkens the black ones, one bit per key in its 21-byte bitmap.
    client.setCustomMode(1)
    await until("the keyboard's custom mode", () => sim("memory", "keyboard", "config", "1", "1") === "14")
    const black = { red: 0, green: 0, blue: 0 }
    const keys = Array(126).fill(black)
    keys[5] = { red: 1, green: 2, blue: 3 }
    client.updateLeds(1, keys)
    const bitmap = () => sim("memory", "keyboard", "short", "0", "21")
    await until("one key lit", () => bitsSet(bitmap()) === 1)
    const firstKey = bitmap()
    keys[5] = black
    keys[6] = { red: 0, green: 0, blue: 9 }
    client.updateLeds(1, keys)
    await until("another key lit", () => bitsSet(bitmap()) === 1 && bitmap() !== firstKey)
    client.updateLeds(1, Array(126).fill(black))
    await until("every key dark", () => bitsSet(bitmap()) === 0)

    // Direct colours reach the pad in its frames, each channel sent as
    // c x 255 / 256: 20 80 ff becomes 1f 7f fe.
    await client.updateMode(2, "Direct")
    client.updateLeds(2, Array(15).fill({ red: 0x20, green: 0x80, blue: 0xff }))
    const direct = "1f7ffe".repeat(15)
    await until("the pad's frame", () => sim("memory", "mousepad", "light-frame", "0", "45") === direct)
    assert.equal((await client.getControllerData(2)).activeMode, 0)

    // A departing product is announced, and its coming back, to every
    // client: also to one that only listens (the npm client passes on such
    // a notice only while it waits for an answer, so a plain socket counts).
    const listener = await listenForListUpdates()
    sim("unplug", "headset")
    await until("the list without the headset", async () => listener.updates >= 1 &&
                (await client.getControllerCount()) === 4)
    sim("plug", "headset")
    await until("the list with the headset", async () => listener.updates >= 2 &&
                (await client.getControllerCount()) === 5)
    listener.socket.destroy()

    // Once the client is gone the pad's own effect runs again.
    client.disconnect()
    await until("the pad's own lighting", () => sim("memory", "mousepad", "light-frame", "0", "45") !== direct)
}

main().then(() => console.log("sdk client check passed"), e => {
    console.error(e)
    process.exit(1)
})
